// descstat: descriptive statistics of the numbers in a text data file.
#include <iostream>
#include <new>

#include "app/Driver.h"

int main() {
    try {
        return descstat::Run(std::cin, std::cout);
    } catch (const std::bad_alloc&) {
        // Only a name or answer too large for memory can get here.
        std::cout << "To allocate memory failed." << std::endl;
        return descstat::kExitFailure;
    }
}
