// slot_of.h - which slot of its class's table of virtual operations a member function has.
//
// The interfaces between host and plug-ins are pinned by slot. Under the Itanium C++ ABI a
// pointer to a virtual member function holds 1 + its byte offset in the table; a virtual
// destructor takes two slots. -1 for a function that is not virtual.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

template <typename F> long slotOf(F member) {
    struct {
        uintptr_t ptr;
        ptrdiff_t adj;
    } rep;
    static_assert(sizeof(member) == sizeof(rep), "Itanium member-function pointer");
    std::memcpy(&rep, &member, sizeof rep);
    if (!(rep.ptr & 1)) return -1;
    return static_cast<long>((rep.ptr - 1) / sizeof(void*));
}
