// The XML reader on arbitrary text, with a handler that looks at everything it is given.
#include "level/XmlHandler.h"
#include "level/XmlReader.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <string>

namespace {

class TouchingHandler : public XmlHandler {
public:
    std::size_t seen = 0;

    void startElement(const std::string& name, const std::string& attributes) override
    {
        seen += name.size() + attributes.size();
    }
    void leafElement(const std::string& name, const std::string& text, const std::string& attributes) override
    {
        seen += name.size() + text.size() + attributes.size();
    }
    void endElement(const std::string&, const std::string&, const std::string&) override {}
    void characterData(const std::string&, const std::string&, const std::string&) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > INT_MAX)
        return 0;
    TouchingHandler handler;
    XmlReader reader(&handler);
    reader.parse(reinterpret_cast<const char*>(data), static_cast<int>(size));
    return 0;
}
