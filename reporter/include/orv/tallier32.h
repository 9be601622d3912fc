/* Report exporter (libtallier32.so).
 *
 * Writes a report of a project (optionally with the members of its
 * sub-projects) or of single archives into six comma-separated tables that
 * share one base path: <base>.txp projects, .txm project members, .txa
 * archive headers, .txx access lists, .txs symbolic names, .txr revisions.
 * Every table starts with its column line; a row holds the values in column
 * order separated by ", ", texts in double quotes (a '"' inside a value is
 * written as "'", a line break as a blank), numbers bare.
 *
 * rptInitialize starts the revision library when the process has no
 * instance yet, checks the "reports" permission and creates the tables
 * (an extension of the base path's last component is dropped). reportType:
 *   0, 4, 5  members, archives, every revision, access lists, symbols
 *   1        projects and members only (no archive is opened)
 *   2        archive headers and access lists, no revisions or symbols
 *   3        one revision per member archive (the member's, else the
 *            archive's current revision) and its symbols
 *   6 - 11   as reportType - 6, also walking the members of sub-projects
 * A null result means failure; the reason went to the message callback.
 *
 * rptProjectReport and rptArchiveReport (with a handle of 0 the project or
 * archive is opened by name and closed again) answer 1 when the rows were
 * written completely, or the user chose to go on past a gap, and 0 on
 * failure or when the user stopped. Every report call writes its rows
 * through to the tables before it returns. Several reports may go into one
 * set of tables: nothing is written twice, and numbering goes on.
 *
 * rptTerminate closes the tables and deletes them unless keep is nonzero
 * (pass a report call's result to keep the tables only when it succeeded);
 * it ends the revision library when rptInitialize started it. Null does
 * nothing.
 *
 * The message callback receives progress (plain text: the member or
 * archive about to be reported; -1 stops the report), errors ("@" and the
 * message; the answer is ignored) and questions ("!" and the question; 0
 * goes on, anything else stops). Without a callback every question stops.
 *
 * The password callback is asked for the password of an encrypted archive
 * (archive handle, archive name, buffer, buffer length); 0 means the buffer
 * holds the password, anything else cancels.
 */
#ifndef ORV_TALLIER32_H
#define ORV_TALLIER32_H

#ifdef __cplusplus
extern "C" {
#endif

#define ORV_REPORT_API __attribute__((visibility("default")))

typedef struct rptReport* rptHandle;
typedef int (*rptMessageCallback)(const char* text);
typedef int (*rptPasswordCallback)(int archive, const char* archiveName, char* buffer, int length);

ORV_REPORT_API rptHandle rptInitialize(const char* basePath, rptMessageCallback messages, int reportType,
                                       rptPasswordCallback password);
ORV_REPORT_API int rptProjectReport(const char* projectName, int project, rptHandle report);
ORV_REPORT_API int rptArchiveReport(const char* archiveName, int archive, rptHandle report);
ORV_REPORT_API void rptTerminate(int keep, rptHandle report);

#ifdef __cplusplus
}
#endif

#endif /* ORV_TALLIER32_H */
