#pragma once
// Memory whose last byte is followed by a no-access page: a read or write past
// its end ends the process.
#include <windows.h>

#include <cstddef>

namespace audiotest {

class GuardedBlock {
public:
    explicit GuardedBlock(size_t size)
    {
        const size_t page = 4096;
        span_ = (size + page - 1) / page * page + page;
        base_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, span_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + span_ - page, page, PAGE_NOACCESS, &old);
        data_ = base_ + span_ - page - size;
    }
    ~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;
    unsigned char* data() { return data_; }

private:
    unsigned char* base_;
    unsigned char* data_;
    size_t span_;
};

}  // namespace audiotest
