// The markup tree. Reading, writing and destroying walk the tree with an
// explicit list of pending tags instead of calling themselves once per level,
// so that the depth of a file's nesting is bounded by memory, not by the
// stack.
#include "host/OML.h"

#include <pugixml.hpp>

#include <memory>
#include <new>
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

// Indented text grows with the square of the depth: deeper trees are written
// without indentation.
constexpr size_t kMaxIndentedDepth = 64;

}  // namespace

struct OML::Impl {
    std::string name;
    std::vector<std::pair<std::string, std::string>> parameters;  // in the order added
    std::vector<std::unique_ptr<OML>> children;
    // Links the tag into the list of tags being destroyed.
    OML* nextDoomed = nullptr;

    std::string* Find(const char* parameter) {
        for (auto& entry : parameters)
            if (entry.first == parameter) return &entry.second;
        return nullptr;
    }

    // Empties the tag. Every descendant is unhooked into one list threaded
    // through the tags themselves, so a tag is deleted only once it has no
    // children left: no recursion and no allocation, whatever the depth.
    void Clear() {
        name.clear();
        parameters.clear();
        OML* doomed = nullptr;
        auto unhookChildren = [&doomed](Impl& tag) {
            for (std::unique_ptr<OML>& child : tag.children) {
                OML* released = child.release();
                released->m_pImpl->nextDoomed = doomed;
                doomed = released;
            }
            tag.children.clear();
        };
        unhookChildren(*this);
        while (doomed) {
            OML* tag = doomed;
            doomed = tag->m_pImpl->nextDoomed;
            unhookChildren(*tag->m_pImpl);
            delete tag;
        }
    }

    // This tag's name and parameters from one element; false for a parameter
    // given twice, which the parser lets through.
    bool ReadElement(const pugi::xml_node& element) {
        name = element.name();
        for (const pugi::xml_attribute& attribute : element.attributes()) {
            if (Find(attribute.name())) return false;
            parameters.emplace_back(attribute.name(), attribute.value());
        }
        return true;
    }
};

namespace {

// A tag waiting for its turn in a walk, with its counterpart on the other
// side of a read or a write and its depth (the root is at depth 1).
template <typename Source, typename Target>
struct PendingTag {
    Source source;
    Target target;
    size_t depth;
};

}  // namespace

OML::OML() : m_pImpl(new Impl) {}

OML::OML(const String& name) : m_pImpl(new Impl) { m_pImpl->name = name.c_str(); }

OML::~OML() {
    m_pImpl->Clear();
    delete m_pImpl;
}

// Reads from the file's position to its end.
bool OML::LoadFrom(File* file) {
    m_pImpl->Clear();
    if (!file) return false;
    try {
        unsigned long position = file->Tell();
        unsigned long size = file->GetSize();
        if (position >= size) return false;
        std::string text(size - position, '\0');
        if (file->Read(&text[0], text.size()) != text.size()) return false;

        // The document parses the text where it lies, so the text outlives it.
        pugi::xml_document document;
        pugi::xml_parse_result parsed = document.load_buffer_inplace(
            &text[0], text.size(), pugi::parse_default, pugi::encoding_utf8);
        pugi::xml_node root = document.document_element();
        if (!parsed || !root) return false;

        // Text between tags has no place in the tree and is skipped.
        std::vector<PendingTag<pugi::xml_node, OML*>> pending{{root, this, 1}};
        while (!pending.empty()) {
            const PendingTag<pugi::xml_node, OML*> next = pending.back();
            pending.pop_back();
            Impl& tag = *next.target->m_pImpl;
            if (!tag.ReadElement(next.source)) {
                m_pImpl->Clear();
                return false;
            }
            for (const pugi::xml_node& child : next.source.children()) {
                if (child.type() != pugi::node_element) continue;
                tag.children.push_back(std::make_unique<OML>());
                pending.push_back({child, tag.children.back().get(), next.depth + 1});
            }
        }
        return true;
    } catch (const std::bad_alloc&) {
        m_pImpl->Clear();
        return false;
    }
}

bool OML::SaveTo(File* file, int /*flags*/, bool compact) {
    // A tag without a name cannot be written: the text form cannot hold it.
    if (!file || m_pImpl->name.empty()) return false;
    try {
        pugi::xml_document document;
        std::vector<PendingTag<const OML*, pugi::xml_node>> pending{
            {this, document.append_child(m_pImpl->name.c_str()), 1}};
        size_t deepest = 1;
        while (!pending.empty()) {
            PendingTag<const OML*, pugi::xml_node> next = pending.back();
            pending.pop_back();
            const Impl& tag = *next.source->m_pImpl;
            for (const auto& parameter : tag.parameters)
                next.target.append_attribute(parameter.first.c_str()) = parameter.second.c_str();
            // The children's elements are appended here, in order; their own
            // contents follow when their turn comes.
            for (const std::unique_ptr<OML>& child : tag.children) {
                if (child->m_pImpl->name.empty()) return false;
                pending.push_back({child.get(),
                                   next.target.append_child(child->m_pImpl->name.c_str()),
                                   next.depth + 1});
                if (next.depth + 1 > deepest) deepest = next.depth + 1;
            }
        }
        StringWriter writer;
        const bool indent = !compact && deepest <= kMaxIndentedDepth;
        const unsigned format =
            pugi::format_no_declaration | (indent ? pugi::format_indent : pugi::format_raw);
        document.save(writer, "  ", format, pugi::encoding_utf8);
        const std::string& text = writer.Text();
        return file->Write(text.data(), text.size()) == text.size();
    } catch (const std::bad_alloc&) {
        return false;
    }
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
    try {
        if (std::string* existing = m_pImpl->Find(name.c_str()))
            *existing = value.c_str();
        else
            m_pImpl->parameters.emplace_back(name.c_str(), value.c_str());
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

int OML::GetParameterCount() const { return static_cast<int>(m_pImpl->parameters.size()); }

// Null when memory runs out.
OML* OML::AddTag(const String& name) {
    try {
        m_pImpl->children.push_back(std::make_unique<OML>(name));
        return m_pImpl->children.back().get();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

int OML::GetTagCount() const { return static_cast<int>(m_pImpl->children.size()); }

OML* OML::GetTag(int index) const {
    if (index < 0 || index >= GetTagCount()) return nullptr;
    return m_pImpl->children[static_cast<size_t>(index)].get();
}
