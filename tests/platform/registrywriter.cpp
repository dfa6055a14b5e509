// Saves the registry store over and over until it is killed, for the test of what a kill in the
// middle of a save leaves behind. Each generation opens the program's key, writes 50 values that
// all name the generation (DWORDs, plain strings and strings with line breaks, which go out as
// hex data), and closes the key. After the first save it prints "saved".
//
//   registrywriter STOREFILE

#include "platform/registry.h"

#include <cstdio>

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: registrywriter STOREFILE\n");
        return 2;
    }
    const QString storeFile = QString::fromLocal8Bit(argv[1]);
    for (quint32 generation = 1;; ++generation) {
        const std::unique_ptr<RegistryKey> key
            = openRegistryFileKey(storeFile, QStringLiteral("Software\\Kestrova\\Tallowmere"));
        for (int i = 0; i < 50; ++i) {
            const QString name = QStringLiteral("Wert-%1").arg(i, 2, 10, QLatin1Char('0'));
            if (i % 3 == 0)
                key->writeDword(name, generation);
            else if (i % 3 == 1)
                key->writeString(name, QStringLiteral("Generation %1, Wert %2").arg(generation).arg(i));
            else
                key->writeString(name, QStringLiteral("Generation %1\r\nWert %2").arg(generation).arg(i));
        }
        if (!key->close()) {
            std::fprintf(stderr, "registrywriter: cannot save %s\n", argv[1]);
            return 1;
        }
        if (generation == 1) {
            std::puts("saved");
            std::fflush(stdout);
        }
    }
}
