// The program is built without exceptions, but the static C++ runtime's
// operator new and the error paths of std::string and std::vector still
// throw: linking them brings in the unwinder, the thread library it locks
// with, and the verbose terminate handler with its demangler - most of the
// exe. These replacements end the process where the library would have
// thrown, which is what an uncaught exception did anyway. Only the exe links
// this file; the tests keep the library's throwing versions.
#include <cstdlib>

#if defined(__GLIBCXX__)

#include <new>

void* operator new(std::size_t size) {
    void* block = std::malloc(size != 0 ? size : 1);
    if (block == nullptr) {
        std::abort();
    }
    return block;
}

void* operator new[](std::size_t size) {
    return operator new(size);
}

namespace std {

// Called by the library headers on a length or range error and on a failed
// allocation; each is declared noreturn there. All of the library's
// functexcept.o is here, so that its throwing versions are never linked.
void __throw_bad_exception() {
    std::abort();
}
void __throw_bad_alloc() {
    std::abort();
}
void __throw_bad_array_new_length() {
    std::abort();
}
void __throw_bad_cast() {
    std::abort();
}
void __throw_bad_typeid() {
    std::abort();
}
void __throw_logic_error(const char*) {
    std::abort();
}
void __throw_domain_error(const char*) {
    std::abort();
}
void __throw_invalid_argument(const char*) {
    std::abort();
}
void __throw_length_error(const char*) {
    std::abort();
}
void __throw_out_of_range(const char*) {
    std::abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
    std::abort();
}
void __throw_runtime_error(const char*) {
    std::abort();
}
void __throw_range_error(const char*) {
    std::abort();
}
void __throw_overflow_error(const char*) {
    std::abort();
}
void __throw_underflow_error(const char*) {
    std::abort();
}

#if defined(_GLIBCXX_ASSERTIONS)
// A failed bounds check of the library: the default reporter brings in the
// debug-mode formatter and its locks.
void __glibcxx_assert_fail(const char*, int, const char*, const char*) noexcept {
    std::abort();
}
#endif

}  // namespace std

#endif
