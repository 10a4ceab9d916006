#include "level/MaterialManager.h"

#include "app/DataFile.h"
#include "app/Report.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "level/TextNumber.h"
#include "level/TextureManager.h"
#include "level/XmlReader.h"

#include <GL/glew.h>

#include <climits>

namespace {

// The colour component a leaf of a colour wrapper names, or -1.
int componentIndex(const std::string& name)
{
    if (name == "red")
        return 0;
    if (name == "green")
        return 1;
    if (name == "blue")
        return 2;
    if (name == "alpha")
        return 3;
    return -1;
}

unsigned int loadTexture(const std::string& fileName)
{
    return TextureManager::instance()->loadTexture(fileName.c_str(), true, true, false);
}

}  // namespace

void MaterialManager::loadMaterials(const char* fileName)
{
    // The whole file is the text, without one final line break.
    std::string text;
    const DataFile::Outcome outcome = DataFile::read(fileName ? fileName : "", text);
    if (outcome != DataFile::READ)
        report("Materials file %s %s\n", fileName ? fileName : "", DataFile::describe(outcome));
    if (!text.empty() && text.back() == '\n')
        text.pop_back();

    readState = READ_NONE;
    readMaterials.clear();
    if (text.size() <= static_cast<std::size_t>(INT_MAX)) {
        XmlReader reader(this);
        reader.parse(text.c_str(), static_cast<int>(text.size()));
    }
    // The last material has no following "material" start to commit it; a file
    // without any material leaves nothing to commit.
    if (readState != READ_NONE)
        readMaterials.push_back(current);
    while (!readMaterials.empty()) {
        addMaterial(readMaterials.front());
        readMaterials.pop_front();
    }
}

int MaterialManager::addMaterial(const Material& material)
{
    const int id = static_cast<int>(materials.size()) + 1;
    materials[id] = material;
    return id;
}

void MaterialManager::applyMaterial(const int& id)
{
    if (id == 0)
        return;
    const auto found = materials.find(id);
    if (found != materials.end())
        apply(found->second, found->second.diffuse);
}

void MaterialManager::applyMaterial(const int& id, const float& alpha)
{
    if (id == 0)
        return;
    const auto found = materials.find(id);
    if (found == materials.end())
        return;
    const float* stored = found->second.diffuse;
    const float diffuse[4] = {stored[0], stored[1], stored[2], alpha};
    apply(found->second, diffuse);
}

void MaterialManager::useMaterials(const std::set<int>& ids)
{
    std::set<std::string> needed;
    for (const auto& [id, material] : materials) {
        if (ids.count(id))
            needed.insert({material.textureFile, material.normalMapFile});
    }
    TextureManager* textures = TextureManager::instance();
    for (auto& [id, material] : materials) {
        if (ids.count(id) || !material.texturesLoaded)
            continue;
        // A material made in code with texture names of its own keeps them.
        if (!material.textureFile.empty())
            material.texture = 0;
        if (!material.normalMapFile.empty())
            material.normalMap = 0;
        for (const std::string* file : {&material.textureFile, &material.normalMapFile}) {
            if (!file->empty() && !needed.count(*file))
                textures->unloadTexture(*file);
        }
        material.texturesLoaded = false;
    }
    bool loaded = false;
    for (const int id : ids) {
        const auto found = materials.find(id);
        if (found != materials.end() && !found->second.texturesLoaded) {
            loadTextures(found->second);
            loaded = true;
        }
    }
    if (loaded) {
        textures->setFilterMode(textures->getFilterMode());
        textures->setMipmapMode(textures->getMipmapMode());
    }
}

void MaterialManager::loadTextures(Material& material)
{
    if (!material.textureFile.empty())
        material.texture = loadTexture(material.textureFile);
    if (!material.normalMapFile.empty())
        material.normalMap = loadTexture(material.normalMapFile);
    material.texturesLoaded = true;
}

Material MaterialManager::getMaterial(const int& id) const
{
    const auto found = materials.find(id);
    return found != materials.end() ? found->second : Material();
}

void MaterialManager::startElement(const std::string& name, const std::string&)
{
    if (name == "material") {
        if (readState != READ_NONE)
            readMaterials.push_back(current);
        readState = READ_MATERIAL;
        // useLight stays: a material without "lighting" is lit like the one before it.
        const bool useLight = current.useLight;
        current = Material();
        current.useLight = useLight;
    } else if (name == "lighting") {
        readState = READ_LIGHTING;
    } else if (name == "ambiente") {
        readState = READ_AMBIENT;
    } else if (name == "diffuse") {
        readState = READ_DIFFUSE;
    } else if (name == "specular") {
        readState = READ_SPECULAR;
    } else if (name == "shininess") {
        readState = READ_SHININESS;
    } else if (name == "texture") {
        readState = READ_TEXTURE;
    } else if (name == "normalMap") {
        readState = READ_NORMALMAP;
    }
}

void MaterialManager::leafElement(const std::string& name, const std::string& text, const std::string&)
{
    switch (readState) {
    case READ_LIGHTING:
        if (name == "useLight" && (text == "true" || text == "false"))
            current.useLight = text == "true";
        break;
    case READ_AMBIENT:
    case READ_DIFFUSE:
    case READ_SPECULAR: {
        const int index = componentIndex(name);
        float* colour = readState == READ_AMBIENT   ? current.ambient
                        : readState == READ_DIFFUSE ? current.diffuse
                                                    : current.specular;
        if (index >= 0)
            colour[index] = TextNumber::toDecimal(text.c_str());
        break;
    }
    case READ_SHININESS:
        if (name == "shininessValue")
            current.shininess = TextNumber::toDecimal(text.c_str());
        break;
    case READ_TEXTURE:
        if (name == "textureFileName" && !text.empty())
            current.textureFile = text;
        break;
    case READ_NORMALMAP:
        if (name == "normalMapFileName") {
            if (!text.empty())
                current.normalMapFile = text;
            current.hasNormalMap = true;
        }
        break;
    case READ_NONE:
    case READ_MATERIAL:
        break;
    }
}

void MaterialManager::apply(Material& material, const float* diffuse) const
{
    if (!material.texturesLoaded)
        loadTextures(material);
    ShaderManager* const shaders = ShaderManager::instance();
    if (material.useLight) {
        glEnable(GL_LIGHTING);
        shaders->setVector3(EFFECTPARAMETER_KA, material.ambient);
        shaders->setVector4(EFFECTPARAMETER_KD, diffuse);
        shaders->setVector3(EFFECTPARAMETER_KS, material.specular);
        shaders->setFloat(EFFECTPARAMETER_SHININESS, material.shininess);
    } else {
        glDisable(GL_LIGHTING);
    }
    if (material.texture)
        shaders->setTexture(EFFECTPARAMETER_TEXTUREMAP, material.texture);
    if (material.normalMap)
        shaders->setTexture(EFFECTPARAMETER_NORMALMAP, material.normalMap);
}
