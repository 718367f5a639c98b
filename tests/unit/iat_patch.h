/* Swapping entries of a module's import address table, so that a test can put
   its own function in place of a system call the program's code makes. The
   program's calls through dllimport go through these entries, so the code under
   test keeps calling the real names while the test decides what they do. */
#ifndef QUORVEX_IAT_PATCH_H
#define QUORVEX_IAT_PATCH_H

#include <windows.h>
#include <vector>

/* Every import slot of `module` that imports `function` from `library` (the
   library's name compared ignoring case). Empty when the module does not
   import it. */
std::vector<void **> FindImportSlots(HMODULE module, const char *library, const char *function);

/* Writes `value` into one slot, lifting the page protection for the write.
   Returns the previous value. */
void *WriteImportSlot(void **slot, void *value);

/* A set of replaced imports, put back in reverse order when the object goes
   away (or at Restore). Replace returns the function that was there before, so
   that a replacement can forward the calls it does not want to handle. */
class ImportPatch {
public:
    explicit ImportPatch(HMODULE module = GetModuleHandleA(NULL)) : module_(module) {}
    ~ImportPatch() { Restore(); }
    ImportPatch(const ImportPatch &) = delete;
    ImportPatch &operator=(const ImportPatch &) = delete;

    /* Null when the module has no such import; nothing is changed then. */
    void *Replace(const char *library, const char *function, void *replacement);
    void Restore();
    size_t Count() const { return saved_.size(); }

private:
    struct Saved {
        void **slot;
        void *original;
    };
    HMODULE module_;
    std::vector<Saved> saved_;
};

#endif
