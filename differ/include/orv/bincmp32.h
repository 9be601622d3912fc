/* Binary differencer (libbincmp32.so).
 *
 * DiffBFile compares two files byte by byte (each byte counts as one line)
 * and writes a listing or, with "-n", an archive edit script in byte units.
 * Options: -c[n], -C n, -n. Result: 0 equal, 1 different, 2 trouble (text
 * through DiffBError).
 *
 * DiffBError copies the last message into buf: whole (result 0) when its
 * length plus one is below len - 1, else cut to len - 2 characters (result 1).
 */
#ifndef ORV_BINCMP32_H
#define ORV_BINCMP32_H

#ifdef __cplusplus
extern "C" {
#endif

#ifndef ORV_DIFF_API
#define ORV_DIFF_API __attribute__((visibility("default")))
#endif

ORV_DIFF_API int DiffBFile(int argc, const char* const* argv, const char* file1, const char* file2,
                           const char* outfile);
ORV_DIFF_API int DiffBError(char* buf, int len);

#ifdef __cplusplus
}
#endif

#endif
