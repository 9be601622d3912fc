/* PVCS importer (libpvcsty32.so).
 *
 * pvcs2rcsFile converts one PVCS archive into a revision archive written into
 * archivedir under the archive's working-file name. Result: 0 (the message is
 * the new archive's path), 1 (the message says what went wrong; nothing is
 * left behind) or 2 (a conversion is already running, "DLL in use"). With
 * century set, dates carry four-digit years. The archive is put in place only
 * after every revision of it has been read back whole; names it cannot hold
 * are made safe, and its description names each change (as sccsty32.h).
 *
 * pvcs2rcsError copies the message as sccs2rcsError does (sccsty32.h).
 */
#ifndef ORV_PVCSTY32_H
#define ORV_PVCSTY32_H

#ifdef __cplusplus
extern "C" {
#endif

#define ORV_PVCS_API __attribute__((visibility("default")))

ORV_PVCS_API int pvcs2rcsFile(int century, const char* pvcsfile, const char* archivedir);
ORV_PVCS_API int pvcs2rcsError(char* buf, int len);

#ifdef __cplusplus
}
#endif

#endif
