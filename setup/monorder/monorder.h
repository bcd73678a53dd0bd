// monorder: merges the "[Monitors]" sections of monitor INF files into one sorted,
// duplicate-free list of model lines and writes it as the chain of INF files that the
// calibration store reads ("spectrine.inf", "spectrine1.inf", ... in the current directory).
//
// The merged set is a height-balanced (AVL) binary search tree of text lines; its basic
// operations are exported for callers that keep a tree of their own.
#pragma once

#include <stdint.h>

#ifdef __cplusplus
#define MONORDER_API extern "C" __attribute__((visibility("default")))
#else
#define MONORDER_API __attribute__((visibility("default")))
#endif

// Model lines per file of the chain; each file after the first repeats the last line of the
// file before it.
#define MONORDER_LINES_PER_FILE 300
// Files of the chain the store reads: "spectrine.inf" and "spectrine1.inf" to "spectrine8.inf".
#define MONORDER_MAX_FILES 9
// Longest line read from an INF file; longer lines are read as several lines.
#define MONORDER_MAX_LINE 1023

// One node of the tree. `key` is a text line owned by the tree (allocated with malloc);
// `left` holds the keys that order before it, `right` those that order after it. `height` is
// that of the subtree rooted here: a leaf has height 0, an empty subtree -1.
typedef struct MonitorNode {
    char* key;
    struct MonitorNode* left;
    struct MonitorNode* right;
    int32_t height;
} MonitorNode;

// A tree is its root node; the empty tree is null.
typedef MonitorNode* MonitorTree;

// Order of keys: a line whose first character is a decimal digit comes after every line whose
// first character is not; otherwise lines compare byte by byte with ASCII letters folded to
// lower case (bytes above 127 are compared as they are, so UTF-8 sequences are never split or
// folded). Lines that compare equal are duplicates.

// Reads the INF file `path` (Windows or Linux separators) and merges it into the process-wide
// result: lines before "[Monitors]" into the header (first file that has such lines only), the
// model lines of "[Monitors]" into the tree, the lines from the next section on into the
// trailer (first file that has one only). Prints "Couldn't open '<path>' for reading.\n" to
// standard output when the file cannot be read whole (also when it is not a regular file or
// is larger than the 16 MiB the suite reads whole). Returns 0.
MONORDER_API int SortMonitors(const char* path);

// Writes the merged result as the chain "spectrine.inf", "spectrine1.inf", ... in the current
// directory: header, "[Monitors]" with the first 300 models and the trailer in the first file,
// "[Monitors]" with the next models in each numbered file. Every file is first written under a
// temporary name beside its target and flushed, and every target is checked (a folder or a
// read-only file there fails the call before anything changes); numbered files left from an
// earlier, longer chain are then deleted, and the new files renamed into place, the first file
// last. `name` is ignored. Returns 0 on success, -1 when nothing could be written (no model
// lines merged, or any write, check, delete or rename failed).
MONORDER_API int WriteResult(const char* name);

// Command-line entry: SortMonitors for argv[1] to argv[argc - 1], then WriteResult when
// argc > 1. Returns 0.
MONORDER_API int Main(int argc, char** argv);

// Installer entry: `paths` holds file paths separated by '|'. SortMonitors for each of the
// first `count` paths (never more than the text holds; the caller's text is not modified),
// then WriteResult when count > 0. Returns 0.
MONORDER_API int MainIS(int count, const char* paths);

// Frees every node of `tree` and its key. Returns the empty tree (null).
MONORDER_API MonitorTree MakeEmpty(MonitorTree tree);

// The node whose key equals `key` in the order above, or null.
MONORDER_API MonitorNode* Find(const char* key, MonitorTree tree);

// Inserts `key` and rebalances; returns the new root. The tree takes ownership of `key`, which
// must come from malloc (strdup, ...): a key equal to one already present leaves the tree
// unchanged and is freed. When memory runs out, prints "Out of space!!!" to standard output
// and frees the key without inserting it. A null key leaves the tree unchanged.
MONORDER_API MonitorTree Insert(char* key, MonitorTree tree);

// Removal is not supported: prints "Sorry; Delete is unimplemented; <key> remains\n" to
// standard output and returns the tree unchanged.
MONORDER_API MonitorTree Delete(const char* key, MonitorTree tree);

// The key of `node` (null for a null node).
MONORDER_API char* Retrieve(MonitorNode* node);
