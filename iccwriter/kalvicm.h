/* kalvicm: assembles one ICC monitor profile (header version 2.0) in memory and writes it to a
 * file. Every operation returns 0 for success and 1 for failure; nothing is thrown, nothing is
 * shown or logged.
 *
 * Typical use: SpInitialize, SpProfileCreate, SpProfileGetHeader, SpProfileSetHeader, the tag
 * operations, SpProfileSaveToDisk, SpProfileFree, SpTerminate.
 *
 * Signatures (tag signatures, header four-character fields) are four characters in file order:
 * pass a pointer to them, e.g. "rXYZ" (only the first four characters are read). */
#ifndef KALVICM_H
#define KALVICM_H

#include <stdint.h>

#ifdef __cplusplus
#define KALVICM_API extern "C" __attribute__((visibility("default")))
#else
#define KALVICM_API __attribute__((visibility("default")))
#endif

#define SP_OK 0
#define SP_FAILED 1

/* Room in a profile's tag table; one more tag is refused with SP_FAILED. */
#define SP_MAX_TAGS 100

/* Context handle: SpInitialize sets it to 1, SpTerminate to 0; no state is kept behind it. */
typedef uint32_t SpContext;

/* Profile handle: owned by the caller from SpProfileCreate to SpProfileFree. */
typedef struct SpProfile *SpProfileHandle;

/* Progress callback accepted by SpInitialize for compatibility; never called. */
typedef int (*SpProgressCallback)(uint32_t percent, void *callerValue);

/* The ICC header without its leading size field: record offset = ICC offset - 4, 124 bytes.
 * The ten numbers marked "host order" are in the byte order of the machine; every other byte is
 * exactly as in the file (four-character fields read as characters in file order). */
typedef struct SpHeader {
    char cmmType[4];            /*   0: preferred CMM type, "KALV" */
    uint8_t version[4];         /*   4: 02 00 00 00 */
    char deviceClass[4];        /*   8: "mntr" */
    char colorSpace[4];         /*  12: "RGB " */
    char connectionSpace[4];    /*  16: "XYZ " */
    uint16_t dateTime[6];       /*  20: year, month, day, hour, minute, second (host order) */
    char signature[4];          /*  32: "acsp" */
    char platform[4];           /*  36: "MSFT" */
    uint8_t flags[4];           /*  40: 0 */
    char manufacturer[4];       /*  44: "none" */
    char model[4];              /*  48: 0 */
    uint8_t attributes[8];      /*  52: 0 */
    uint32_t renderingIntent;   /*  60: 0 (host order) */
    int32_t illuminant[3];      /*  64: X, Y, Z as s15Fixed16 (host order) */
    char creator[4];            /*  76: 0 */
    uint8_t reserved[44];       /*  80: zero */
} SpHeader;

#ifdef __cplusplus
static_assert(sizeof(SpHeader) == 124, "SpHeader is the 124-byte ICC header record");
#else
_Static_assert(sizeof(SpHeader) == 124, "SpHeader is the 124-byte ICC header record");
#endif

/* Sets *context to 1. The callback and caller value are ignored. 1 if context is null. */
KALVICM_API int SpInitialize(SpContext *context, SpProgressCallback progress, void *callerValue);

/* Creates a profile from the template header stamped with the local time, without tags.
 * 1 if profile is null or memory runs out (then *profile is set to null). */
KALVICM_API int SpProfileCreate(SpContext context, SpProfileHandle *profile);

/* Copies the header into *header with the ten numbers in host order. */
KALVICM_API int SpProfileGetHeader(SpProfileHandle profile, SpHeader *header);

/* Replaces the profile's header by *header (ten numbers read in host order). */
KALVICM_API int SpProfileSetHeader(SpProfileHandle profile, const SpHeader *header);

/* Tag operations: each appends one tag (a repeated signature appends another entry). They fail
 * with 1, leaving the profile as it was, on a null handle or pointer, when the table already
 * holds SP_MAX_TAGS tags, when the file would outgrow the 32-bit size field, or when memory for
 * the tag's data cannot be obtained. */
KALVICM_API int SetDateTimeTag(SpProfileHandle profile, const char *signature, uint16_t year,
                               uint16_t month, uint16_t day, uint16_t hour, uint16_t minute,
                               uint16_t second);
KALVICM_API int SetTextTag(SpProfileHandle profile, const char *signature, const char *text);
KALVICM_API int SetTextDescTag(SpProfileHandle profile, const char *signature, const char *text);
KALVICM_API int SetXYZTag(SpProfileHandle profile, const char *signature, int32_t x, int32_t y,
                          int32_t z);
/* count entries from values (values may be null when count is 0); count 1 holds a gamma in
 * u8Fixed8 (gamma times 256). */
KALVICM_API int SetCurveTag(SpProfileHandle profile, const char *signature,
                            const uint16_t *values, uint32_t count);

/* Writes the profile to path ('\' or '/' separators), replacing any existing file. The new file
 * is written beside the target and renamed into place, so the target is either the old file or
 * the complete new one. 1 if an argument is null or the new file cannot be written or put in
 * place. */
KALVICM_API int SpProfileSaveToDisk(SpProfileHandle profile, const char *path);

/* Releases *profile with all its tags. 1 if profile or *profile is null. *profile is left as it
 * was; do not use it afterwards. */
KALVICM_API int SpProfileFree(SpProfileHandle *profile);

/* Sets *context to 0. 1 if context is null. */
KALVICM_API int SpTerminate(SpContext *context);

#endif /* KALVICM_H */
