// The host's markup tree: a tag with a name, named text parameters and
// child tags. The text form is XML: a tag is an element, its parameters are
// attributes, its children are child elements.
#pragma once

#include "KernelApi.h"
#include "String.h"

class File;

class ORVKERNEL_API OML {
public:
    OML();
    explicit OML(const String& name);
    ~OML();
    OML(const OML&) = delete;
    OML& operator=(const OML&) = delete;

    // Replaces this tag by the root element read from the file's contents;
    // false (and an empty tag) when the file holds no well-formed markup.
    bool LoadFrom(File* file);
    // Writes this tag and its children as text at the file's position. The
    // flags are reserved (0); compact drops the indentation.
    bool SaveTo(File* file, int flags, bool compact);
    // Asks the writer to indent this tag's children (the default).
    void Prettify();

    String GetName() const;
    void SetName(const String& name);

    // The value of the parameter, or defaultValue when it is absent.
    String GetParameter(const String& name, const String& defaultValue) const;
    // Adds the parameter, or replaces the value of an existing one.
    bool AddParameter(const String& name, const String& value);
    int GetParameterCount() const;

    // A new child at the end, owned by this tag.
    OML* AddTag(const String& name);
    int GetTagCount() const;
    // The child at index (from 0), or null.
    OML* GetTag(int index) const;

private:
    struct Impl;
    Impl* m_pImpl;
};
