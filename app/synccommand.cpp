#include "synccommand.h"

#include "console.h"

#include <cstdio>

int RunSync(const CommandLine&, int&, char**)
{
    Console::Write(stderr, QStringLiteral("murvane: --sync: not built yet\n"));
    return 1;
}
