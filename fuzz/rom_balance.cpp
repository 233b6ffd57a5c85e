// The rom harness on inputs that load and save each family, both header layouts, three rounds.
// After the first round (which fills the workspace's buffers and starts its threads) every run
// must free as many blocks as it allocates, threads included: libFuzzer takes a run that ends
// with more allocations than frees for a leak and runs it again under LeakSanitizer, which
// halves the harness's speed without finding anything.
#include <sanitizer/allocator_interface.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "fuzz/fuzz_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::atomic<long> allocated{0}, freed{0};
std::atomic<bool> counting{false};

void onMalloc(const volatile void*, std::size_t) {
    if (counting) allocated.fetch_add(1);
}
void onFree(const volatile void*) {
    if (counting) freed.fetch_add(1);
}

// The inode of the harness's scratch ROM: a save puts a new file in its place.
ino_t scratchInode() {
    struct stat st{};
    return stat(morvi::fuzz::scratchPath(".smc").c_str(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

int main() {
    __sanitizer_install_malloc_and_free_hooks(onMalloc, onFree);
    int unbalanced = 0, unsaved = 0;
    for (int round = 0; round < 3; ++round)
        for (int which = 1; which <= 3; ++which)
            for (int header = 0; header <= 1; ++header) {
                // The selector alone: the whole demo, that one family loaded and saved.
                const std::uint8_t input[] = {std::uint8_t(0xE0 | which << 2 | header)};
                const ino_t before = scratchInode();
                allocated = 0;
                freed = 0;
                counting = true;
                LLVMFuzzerTestOneInput(input, sizeof input);
                counting = false;
                // Whatever the run left running finishes now, unseen: a block it frees late
                // counts as never freed, as libFuzzer would count it.
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
                if (round > 0 && scratchInode() == before) {
                    ++unsaved;
                    std::printf("round %d, family %d, header %d: the run did not save\n", round, which, header);
                }
                if (round > 0 && allocated.load() != freed.load()) {
                    ++unbalanced;
                    std::printf("round %d, family %d, header %d: %ld allocations, %ld frees\n", round, which, header,
                                allocated.load(), freed.load());
                }
            }
    if (unsaved) std::printf("rom harness: runs meant to save did not\n");
    else std::printf("rom harness: %s\n", unbalanced ? "runs that save leave blocks behind" : "every saving run balanced");
    return unbalanced || unsaved ? EXIT_FAILURE : EXIT_SUCCESS;
}
