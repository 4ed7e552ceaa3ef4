#include "host/OML.h"

#include <pugixml.hpp>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "host/File.h"

namespace {

class StringWriter : public pugi::xml_writer {
public:
    void write(const void* data, size_t size) override {
        m_Text.append(static_cast<const char*>(data), size);
    }
    const std::string& Text() const { return m_Text; }

private:
    std::string m_Text;
};

}  // namespace

struct OML::Impl {
    std::string name;
    std::vector<std::pair<std::string, std::string>> parameters;  // in the order added
    std::vector<std::unique_ptr<OML>> children;

    // Text between tags has no place in the tree and is skipped. False for a
    // parameter given twice, which the parser lets through.
    bool Read(const pugi::xml_node& element) {
        name = element.name();
        for (const pugi::xml_attribute& attribute : element.attributes()) {
            if (Find(attribute.name())) return false;
            parameters.emplace_back(attribute.name(), attribute.value());
        }
        for (const pugi::xml_node& child : element.children()) {
            if (child.type() != pugi::node_element) continue;
            children.push_back(std::make_unique<OML>());
            if (!children.back()->m_pImpl->Read(child)) return false;
        }
        return true;
    }

    std::string* Find(const char* parameter) {
        for (auto& entry : parameters)
            if (entry.first == parameter) return &entry.second;
        return nullptr;
    }

    // False when a tag has no name: the text form cannot hold it.
    bool Write(pugi::xml_node parent) const {
        if (name.empty()) return false;
        pugi::xml_node element = parent.append_child(name.c_str());
        for (const auto& parameter : parameters)
            element.append_attribute(parameter.first.c_str()) = parameter.second.c_str();
        for (const auto& child : children)
            if (!child->m_pImpl->Write(element)) return false;
        return true;
    }
};

OML::OML() : m_pImpl(new Impl) {}

OML::OML(const String& name) : m_pImpl(new Impl) { m_pImpl->name = name.c_str(); }

OML::~OML() { delete m_pImpl; }

// Reads from the file's position to its end.
bool OML::LoadFrom(File* file) {
    *m_pImpl = Impl();
    if (!file) return false;
    unsigned long position = file->Tell();
    unsigned long size = file->GetSize();
    if (position >= size) return false;
    std::string text(size - position, '\0');
    if (file->Read(&text[0], text.size()) != text.size()) return false;

    pugi::xml_document document;
    pugi::xml_parse_result parsed =
        document.load_buffer(text.data(), text.size(), pugi::parse_default, pugi::encoding_utf8);
    pugi::xml_node root = document.document_element();
    if (!parsed || !root) return false;
    if (m_pImpl->Read(root)) return true;
    *m_pImpl = Impl();
    return false;
}

bool OML::SaveTo(File* file, int /*flags*/, bool compact) {
    pugi::xml_document document;
    if (!file || !m_pImpl->Write(document)) return false;
    StringWriter writer;
    unsigned format = pugi::format_no_declaration | (compact ? pugi::format_raw : pugi::format_indent);
    document.save(writer, "  ", format, pugi::encoding_utf8);
    const std::string& text = writer.Text();
    return file->Write(text.data(), text.size()) == text.size();
}

// Indented output is already what SaveTo writes unless asked to be compact.
void OML::Prettify() {}

String OML::GetName() const { return m_pImpl->name.c_str(); }

void OML::SetName(const String& name) { m_pImpl->name = name.c_str(); }

String OML::GetParameter(const String& name, const String& defaultValue) const {
    const std::string* value = m_pImpl->Find(name.c_str());
    return value ? String(value->c_str()) : defaultValue;
}

bool OML::AddParameter(const String& name, const String& value) {
    if (name.IsEmpty()) return false;
    if (std::string* existing = m_pImpl->Find(name.c_str()))
        *existing = value.c_str();
    else
        m_pImpl->parameters.emplace_back(name.c_str(), value.c_str());
    return true;
}

int OML::GetParameterCount() const { return static_cast<int>(m_pImpl->parameters.size()); }

OML* OML::AddTag(const String& name) {
    m_pImpl->children.push_back(std::make_unique<OML>(name));
    return m_pImpl->children.back().get();
}

int OML::GetTagCount() const { return static_cast<int>(m_pImpl->children.size()); }

OML* OML::GetTag(int index) const {
    if (index < 0 || index >= GetTagCount()) return nullptr;
    return m_pImpl->children[static_cast<size_t>(index)].get();
}
