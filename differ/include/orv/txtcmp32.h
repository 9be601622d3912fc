/* Text differencer (libtxtcmp32.so, also reachable as libntxtcmp32.so).
 *
 * DiffFile compares two text files line by line and writes their differences
 * into an output file in the form chosen by the option words. argv[0] is the
 * mode word ("diff", "diffh", "bdiff", "dircmp"); the option words follow.
 * Result: 0 identical, 1 different, 2 trouble (text through DiffError),
 * 4 binary input or a line longer than 1,024 characters.
 *
 * DiffError copies the last message into buf: whole (result 0) when it is
 * shorter than len - 1 characters, else cut to len - 2 characters (result 1).
 */
#ifndef ORV_TXTCMP32_H
#define ORV_TXTCMP32_H

#ifdef __cplusplus
extern "C" {
#endif

#define ORV_DIFF_API __attribute__((visibility("default")))

ORV_DIFF_API int DiffFile(int argc, const char* const* argv, const char* file1, const char* file2,
                          const char* outfile);
ORV_DIFF_API int DiffError(char* buf, int len);

#ifdef __cplusplus
}
#endif

#endif
