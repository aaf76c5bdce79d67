// descstat: descriptive statistics of the numbers in a text data file.
#include <iostream>
#include <new>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "app/Driver.h"

namespace {

// A standard descriptor that the program was started without is taken by
// /dev/null opened for reading, so that no file the run opens gets its number:
// the console text would otherwise land in that file. Writing to it then fails,
// which the end of the run reports.
void HoldStandardDescriptors() {
#ifndef _WIN32
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) == -1) {
            const int held = open("/dev/null", O_RDONLY);  // takes the lowest free number
            if (held > 2) (void)close(held);
        }
    }
#endif
}

int RunDialogue() {
    try {
        return descstat::Run(std::cin, std::cout);
    } catch (const std::bad_alloc&) {
        // Only a name or answer too large for memory can get here.
        std::cout << "To allocate memory failed." << std::endl;
        return descstat::kExitFailure;
    }
}

}  // namespace

int main() {
    HoldStandardDescriptors();
    int code = RunDialogue();
    // Console text that did not arrive is a failure, whatever the run did.
    std::cout.flush();
    if (std::cout.fail()) {
        std::cerr << "To write to the console failed." << std::endl;
        code = descstat::kExitFailure;
    }
    return code;
}
