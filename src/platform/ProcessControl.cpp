#include "ProcessControl.h"

#include <cstdio>
#include <cstdlib>

namespace kestrel {

void ImmediateProcessControl::EndProcess(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

}  // namespace kestrel
