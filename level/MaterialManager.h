#pragma once

#include "app/Singleton.h"
#include "level/Material.h"
#include "level/XmlHandler.h"

#include <list>
#include <map>
#include <set>
#include <string>

// The game's materials, read once from data/util/materials.xml and numbered from 1
// in file order; level elements name them by that number. Applying a material
// switches fixed-function lighting and feeds its colours and textures to the
// shader effect.
class MaterialManager : public Singleton<MaterialManager>, public XmlHandler {
    friend class Singleton<MaterialManager>;

public:
    // Reads the file's "material" elements and adds them after the existing numbers.
    // Their textures are loaded by useMaterials, or when a material is first
    // applied. An unreadable file or one without materials adds none.
    void loadMaterials(const char* fileName);
    // Loads the textures of the materials numbered in ids and frees those only
    // other materials use, so just one world's textures are held at a time.
    // Textures loaded here take the texture manager's current filter and
    // mipmap modes, as if they had been loaded before the player changed them.
    void useMaterials(const std::set<int>& ids);
    // Stores material under the next number (count + 1) and returns that number.
    int addMaterial(const Material& material);

    // Applies material id; 0, or a number without a material, applies nothing.
    void applyMaterial(const int& id);
    // The same with the diffuse alpha replaced by alpha for this call only.
    void applyMaterial(const int& id, const float& alpha);
    // A copy of material id; for a number without a material, a blank material
    // without a normal map (the table is not changed).
    Material getMaterial(const int& id) const;

    void startElement(const std::string& name, const std::string& attributes) override;
    void leafElement(const std::string& name, const std::string& text, const std::string& attributes) override;
    void endElement(const std::string&, const std::string&, const std::string&) override {}
    void characterData(const std::string&, const std::string&, const std::string&) override {}

private:
    // What the reader is inside: nothing yet, a material, or one of its wrappers.
    enum ReadState {
        READ_NONE,
        READ_MATERIAL,
        READ_LIGHTING,
        READ_AMBIENT,
        READ_DIFFUSE,
        READ_SPECULAR,
        READ_SHININESS,
        READ_TEXTURE,
        READ_NORMALMAP
    };

    MaterialManager() = default;
    static void loadTextures(Material& material);
    void apply(Material& material, const float* diffuse) const;

    std::map<int, Material> materials;
    ReadState readState = READ_NONE;
    Material current;
    std::list<Material> readMaterials;  // read so far, in file order; empty outside loadMaterials
};
