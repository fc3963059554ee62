#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace velnor::testing {

struct CommandResult {
    int status;
    std::string output;
};

// A shell command's exit status and standard output.
inline CommandResult shell(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = pclose(pipe);
    return {WEXITSTATUS(status), output};
}

} // namespace velnor::testing
