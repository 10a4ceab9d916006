#pragma once

#include <string>

// Receives the elements XmlReader finds, in document order. There is no
// end-of-element call: a handler learns that an element is over only when the
// next one is reported or when parsing returns.
class XmlHandler {
public:
    virtual ~XmlHandler() = default;

    // An element whose content holds at least one further element; called before
    // the content is read.
    virtual void startElement(const std::string& name, const std::string& attributes) = 0;
    // An element without child elements, self-closing ones included (empty text).
    virtual void leafElement(const std::string& name, const std::string& text,
                             const std::string& attributes) = 0;
    // Never called by the reader; kept for handlers that want the full interface.
    virtual void endElement(const std::string& name, const std::string& text,
                            const std::string& attributes) = 0;
    virtual void characterData(const std::string& name, const std::string& text,
                               const std::string& attributes) = 0;
};
