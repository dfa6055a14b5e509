// Fuzz target of the registry store's text format. The input is a store file as an
// administrator's editor, regedit or a damaged disk may leave it; whatever the reader makes of
// it must come back unchanged from a write and a second read, so that saving the program's
// options never alters the values it kept from the file.

#include "platform/registry.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const char* typeName(RegistryValueType type)
{
    switch (type) {
    case RegistryValueType::String:
        return "string";
    case RegistryValueType::DWord:
        return "dword";
    case RegistryValueType::Other:
        return "other";
    }
    return "?";
}

[[noreturn]] void fail(const char* what, const QByteArray& written)
{
    std::fprintf(stderr, "registry invariant broken: %s\nwritten file:\n%s\n", what, written.constData());
    std::abort();
}

void compareKeys(const QList<RegistryKeyData>& first, const QList<RegistryKeyData>& second, const QByteArray& written)
{
    if (first.size() != second.size())
        fail("the number of keys differs", written);
    for (qsizetype k = 0; k < first.size(); ++k) {
        if (first[k].path != second[k].path)
            fail("a key path differs", written);
        if (first[k].values.size() != second[k].values.size())
            fail("the number of values in a key differs", written);
        for (qsizetype v = 0; v < first[k].values.size(); ++v) {
            const RegistryValue& a = first[k].values[v];
            const RegistryValue& b = second[k].values[v];
            if (a.name != b.name)
                fail("a value name differs", written);
            if (a.type != b.type) {
                std::fprintf(stderr, "type %s became %s\n", typeName(a.type), typeName(b.type));
                fail("a value type differs", written);
            }
            if (a.dword != b.dword || a.text != b.text || a.raw != b.raw)
                fail("a value differs", written);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<RegistryKeyData> first = parseRegistryText(bytes);
    const QByteArray written = serializeRegistryText(first);
    const QList<RegistryKeyData> second = parseRegistryText(written);
    compareKeys(first, second, written);
    if (serializeRegistryText(second) != written)
        fail("a second write differs from the first", written);
    return 0;
}
