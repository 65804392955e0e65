// Dies of an access violation; the test prefix must end it at once.
#include <cstdio>

int main()
{
    volatile int* p = nullptr;
    std::printf("about to crash\n");
    *p = 1;
    return 0;
}
