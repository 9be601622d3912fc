/* SCCS importer (libsccsty32.so).
 *
 * sccs2rcsFile converts one SCCS history file ("s." file) into a revision
 * archive written into archivedir under the working file's name. Result: 0
 * (the message is the new archive's path), 1 (the message says what went
 * wrong; nothing is left behind) or 2 (a conversion is already running,
 * "DLL in use"). century is accepted and not used. A damaged file (blocks
 * of the body doubled or not ended; under a checksum that does not match, a
 * body without the lines its delta entries count) answers 1, and so does an
 * archive that would not read back whole: the archive is put in place only
 * after every revision of it has been read back as the SCCS file has it.
 * Names the archive cannot hold (bytes of 0x80 and above, for one) are made
 * safe, and the archive's description names each change.
 *
 * sccs2rcsError copies the message into buf: 1 when the whole message fitted
 * in len - 1 characters, else 0 with len - 2 characters and a terminating
 * zero. With len below 2 nothing but, for len 1, the terminating zero is
 * written.
 */
#ifndef ORV_SCCSTY32_H
#define ORV_SCCSTY32_H

#ifdef __cplusplus
extern "C" {
#endif

#define ORV_IMPORT_API __attribute__((visibility("default")))

ORV_IMPORT_API int sccs2rcsFile(int century, int writeprotect, int strictlocks, const char* sccsfile,
                                const char* archivedir);
ORV_IMPORT_API int sccs2rcsError(char* buf, int len);

#ifdef __cplusplus
}
#endif

#endif
