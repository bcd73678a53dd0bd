// The exported operations: argument checks and result codes here, the work in Profile and the
// platform's file replacement. Nothing is thrown across the boundary.
#include "kalvicm.h"

#include <cstring>
#include <memory>
#include <new>

#include "profile.h"
#include "win32.h"
#include "winplat_files.h"

struct SpProfile : kalvicm::Profile {
    using Profile::Profile;
};

namespace {

using kalvicm::AddResult;
using kalvicm::Signature;

// Runs `work` and turns anything it throws into a failure.
template <typename Work>
int guarded(Work&& work) noexcept {
    try {
        return work();
    } catch (...) {
        return SP_FAILED;
    }
}

Signature toSignature(const char* chars) {
    Signature sig;
    std::memcpy(sig.data(), chars, sig.size());
    return sig;
}

int toCode(AddResult result) { return result == AddResult::Added ? SP_OK : SP_FAILED; }

}  // namespace

KALVICM_API int SpInitialize(SpContext* context, SpProgressCallback, void*) {
    if (!context) return SP_FAILED;
    *context = 1;
    return SP_OK;
}

KALVICM_API int SpTerminate(SpContext* context) {
    if (!context) return SP_FAILED;
    *context = 0;
    return SP_OK;
}

KALVICM_API int SpProfileCreate(SpContext, SpProfileHandle* profile) {
    if (!profile) return SP_FAILED;
    try {
        *profile = new SpProfile(kalvicm::localTimeNow());
        return SP_OK;
    } catch (...) {
        *profile = nullptr;
        return SP_FAILED;
    }
}

KALVICM_API int SpProfileGetHeader(SpProfileHandle profile, SpHeader* header) {
    if (!profile || !header) return SP_FAILED;
    profile->getHeader(*header);
    return SP_OK;
}

KALVICM_API int SpProfileSetHeader(SpProfileHandle profile, const SpHeader* header) {
    if (!profile || !header) return SP_FAILED;
    profile->setHeader(*header);
    return SP_OK;
}

KALVICM_API int SetDateTimeTag(SpProfileHandle profile, const char* signature, uint16_t year,
                               uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                               uint16_t second) {
    if (!profile || !signature) return SP_FAILED;
    return guarded([&] {
        return toCode(profile->addDateTime(toSignature(signature),
                                           {year, month, day, hour, minute, second}));
    });
}

KALVICM_API int SetTextTag(SpProfileHandle profile, const char* signature, const char* text) {
    if (!profile || !signature || !text) return SP_FAILED;
    return guarded([&] { return toCode(profile->addText(toSignature(signature), text)); });
}

KALVICM_API int SetTextDescTag(SpProfileHandle profile, const char* signature, const char* text) {
    if (!profile || !signature || !text) return SP_FAILED;
    return guarded(
        [&] { return toCode(profile->addTextDescription(toSignature(signature), text)); });
}

KALVICM_API int SetXYZTag(SpProfileHandle profile, const char* signature, int32_t x, int32_t y,
                          int32_t z) {
    if (!profile || !signature) return SP_FAILED;
    return guarded([&] { return toCode(profile->addXYZ(toSignature(signature), x, y, z)); });
}

KALVICM_API int SetCurveTag(SpProfileHandle profile, const char* signature,
                            const uint16_t* values, uint32_t count) {
    if (!profile || !signature || (!values && count != 0)) return SP_FAILED;
    return guarded(
        [&] { return toCode(profile->addCurve(toSignature(signature), values, count)); });
}

KALVICM_API int SpProfileSaveToDisk(SpProfileHandle profile, const char* path) {
    if (!profile || !path || !*path) return SP_FAILED;
    return guarded([&] {
        const std::uint32_t size = profile->fileSize();
        std::unique_ptr<std::uint8_t[]> image(new (std::nothrow) std::uint8_t[size]);
        if (!image) return SP_FAILED;
        profile->writeImage({image.get(), size});
        // A new file beside the target, flushed, renamed into place: the old profile stays
        // whole until the new one is.
        const std::string_view bytes(reinterpret_cast<const char*>(image.get()), size);
        return winplat::replaceFile(path, bytes) == ERROR_SUCCESS ? SP_OK : SP_FAILED;
    });
}

KALVICM_API int SpProfileFree(SpProfileHandle* profile) {
    if (!profile || !*profile) return SP_FAILED;
    delete *profile;
    return SP_OK;
}
