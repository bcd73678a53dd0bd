// Flushing several open files to disk at once. Each fsync waits for its own data and for the
// file system's journal; issued one after the other, a group of small files pays that wait
// once per file. Submitted together through an io_uring, the kernel runs them side by side and
// the device flushes they end with are shared. Where the kernel offers no io_uring (too old,
// switched off, refused by a sandbox) the files are flushed one by one.
#include <linux/io_uring.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <optional>
#include <span>

#include "files.h"

namespace winplat::detail {
namespace {

// Files flushed per submission; larger groups go in several rounds.
constexpr unsigned kRingEntries = 32;

int fsyncOne(int fd) {
    while (::fsync(fd) != 0)
        if (errno != EINTR) return errno;
    return 0;
}

// A mapping of the ring's memory, unmapped when it goes.
class Mapping {
public:
    Mapping(int ring, size_t size, off_t offset) : size_(size) {
        void* at = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, ring, offset);
        base_ = at == MAP_FAILED ? nullptr : static_cast<char*>(at);
    }
    ~Mapping() {
        if (base_) munmap(base_, size_);
    }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    char* get() const { return base_; }
    template <typename T>
    T* at(size_t offset) const {
        return reinterpret_cast<T*>(base_ + offset);
    }

private:
    char* base_ = nullptr;
    size_t size_;
};

// One io_uring for one group of flushes, closed when it goes.
class FlushRing {
public:
    explicit FlushRing(unsigned entries) {
        io_uring_params params{};
        ring_ = UniqueFd(static_cast<int>(syscall(SYS_io_uring_setup, entries, &params)));
        if (!ring_ || !(params.features & IORING_FEAT_SINGLE_MMAP)) return;
        sqOffsets_ = params.sq_off;
        cqOffsets_ = params.cq_off;
        const size_t rings = std::max(params.sq_off.array + params.sq_entries * sizeof(unsigned),
                                      params.cq_off.cqes + params.cq_entries * sizeof(io_uring_cqe));
        rings_.emplace(ring_.get(), rings, IORING_OFF_SQ_RING);
        sqes_.emplace(ring_.get(), params.sq_entries * sizeof(io_uring_sqe), IORING_OFF_SQES);
        capacity_ = params.sq_entries;
    }

    bool usable() const { return !broken_ && rings_ && rings_->get() && sqes_ && sqes_->get(); }
    unsigned capacity() const { return capacity_; }

    // Flushes up to capacity() files; errors[i] receives 0 or the errno of fds[i]. A flush the
    // ring could not take is made directly.
    void flush(const int* fds, int* errors, unsigned count) {
        const unsigned mask = *rings_->at<unsigned>(sqOffsets_.ring_mask);
        auto* tail = rings_->at<std::atomic<unsigned>>(sqOffsets_.tail);
        auto* array = rings_->at<unsigned>(sqOffsets_.array);
        auto* sqes = sqes_->at<io_uring_sqe>(0);
        const unsigned start = tail->load(std::memory_order_relaxed);
        for (unsigned i = 0; i < count; ++i) {
            const unsigned slot = (start + i) & mask;
            io_uring_sqe& sqe = sqes[slot];
            std::memset(&sqe, 0, sizeof sqe);
            sqe.opcode = IORING_OP_FSYNC;
            sqe.fd = fds[i];
            sqe.user_data = i;
            array[slot] = slot;
        }
        tail->store(start + count, std::memory_order_release);

        // Submitted and waited for in one call; the kernel returns at once when it could not
        // take them all.
        long submitted;
        do {
            submitted = syscall(SYS_io_uring_enter, ring_.get(), count, count, IORING_ENTER_GETEVENTS,
                                nullptr, 0);
        } while (submitted < 0 && errno == EINTR);
        if (submitted < 0) submitted = 0;
        // Entries the kernel did not take stay in the ring: it is not used again.
        if (static_cast<unsigned>(submitted) < count) broken_ = true;
        // What was not submitted is flushed here while the ring works on the rest.
        for (unsigned i = static_cast<unsigned>(submitted); i < count; ++i) errors[i] = fsyncOne(fds[i]);
        reap(errors, static_cast<unsigned>(submitted));
    }

private:
    void reap(int* errors, unsigned expected) {
        auto* head = rings_->at<std::atomic<unsigned>>(cqOffsets_.head);
        auto* tail = rings_->at<std::atomic<unsigned>>(cqOffsets_.tail);
        const unsigned mask = *rings_->at<unsigned>(cqOffsets_.ring_mask);
        auto* cqes = rings_->at<io_uring_cqe>(cqOffsets_.cqes);
        unsigned seen = 0;
        unsigned at = head->load(std::memory_order_relaxed);
        while (seen < expected) {
            for (const unsigned end = tail->load(std::memory_order_acquire); at != end; ++at, ++seen) {
                const io_uring_cqe& cqe = cqes[at & mask];
                errors[cqe.user_data] = cqe.res < 0 ? -cqe.res : 0;
            }
            head->store(at, std::memory_order_release);
            if (seen < expected &&
                syscall(SYS_io_uring_enter, ring_.get(), 0, expected - seen, IORING_ENTER_GETEVENTS,
                        nullptr, 0) < 0 &&
                errno != EINTR) {
                broken_ = true;
                return;  // the flushes not reaped keep their error: their files are not committed
            }
        }
    }

    UniqueFd ring_;
    io_sqring_offsets sqOffsets_{};
    io_cqring_offsets cqOffsets_{};
    std::optional<Mapping> rings_;
    std::optional<Mapping> sqes_;
    unsigned capacity_ = 0;
    bool broken_ = false;
};

}  // namespace

void flushToDisk(std::span<const int> fds, std::span<int> errors) {
    if (fds.empty()) return;
    if (fds.size() == 1) {
        errors[0] = fsyncOne(fds[0]);
        return;
    }
    std::fill(errors.begin(), errors.end(), EIO);
    FlushRing ring(static_cast<unsigned>(std::min<size_t>(fds.size(), kRingEntries)));
    for (size_t done = 0; done < fds.size();) {
        if (!ring.usable()) {
            for (; done < fds.size(); ++done) errors[done] = fsyncOne(fds[done]);
            return;
        }
        const unsigned count = static_cast<unsigned>(std::min<size_t>(fds.size() - done, ring.capacity()));
        ring.flush(fds.data() + done, errors.data() + done, count);
        done += count;
    }
}

}  // namespace winplat::detail
