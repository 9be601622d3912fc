/* The Common Messaging Calls (CMC 1.0) offered by libcmc.so.
 *
 * The revision library loads this library by name when mail is first needed
 * and binds the ten calls below by name. Only cmc_send_documents does
 * anything: it hands an RFC 5322 message to a sendmail-compatible program
 * ("/usr/sbin/sendmail -oi -t", or the program named by the environment
 * variable ORV_SENDMAIL) on its standard input. Recipients travel only in the
 * message headers, never on the program's command line. The other nine calls
 * answer CMC_E_NOT_SUPPORTED.
 */
#ifndef ORV_PLATFORM_CMC_CMC_H
#define ORV_PLATFORM_CMC_CMC_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef uint16_t CMC_uint16;
typedef uint32_t CMC_uint32;
typedef int32_t CMC_sint32;
typedef CMC_uint32 CMC_return_code;
typedef CMC_uint32 CMC_flags;
typedef CMC_uint32 CMC_ui_id;
typedef CMC_uint32 CMC_session_id;
typedef CMC_sint32 CMC_enum;
typedef char* CMC_string;
typedef void* CMC_buffer;
typedef char* CMC_object_identifier;

/* Structures of the calls that are not supported; never looked into. */
typedef struct CMC_extension CMC_extension;
typedef struct CMC_message CMC_message;
typedef struct CMC_message_reference CMC_message_reference;
typedef struct CMC_message_summary CMC_message_summary;
typedef struct CMC_recipient CMC_recipient;

#define CMC_SUCCESS ((CMC_return_code)0)
#define CMC_E_FAILURE ((CMC_return_code)8)
#define CMC_E_INSUFFICIENT_MEMORY ((CMC_return_code)9)
#define CMC_E_INVALID_PARAMETER ((CMC_return_code)16)
#define CMC_E_NOT_SUPPORTED ((CMC_return_code)21)
#define CMC_E_SERVICE_UNAVAILABLE ((CMC_return_code)24)

#define CMC_ERROR_UI_ALLOWED ((CMC_flags)0x01000000)
#define CMC_LOGON_UI_ALLOWED ((CMC_flags)0x02000000)

/* The file this library is built as, and the environment variable that
 * names the sendmail-compatible program (tests point it at a fake). */
#define CMC_LIBRARY_FILE_NAME "libcmc.so"
#define CMC_SENDMAIL_ENVIRONMENT "ORV_SENDMAIL"
#define CMC_SENDMAIL_DEFAULT "/usr/sbin/sendmail"

/* Sends a text note. recipient_addrs: addresses separated by `delimiter`
 * (NULL or empty means ","); an address may carry the prefix "to:", "cc:" or
 * "bcc:" (any case), which holds for it and the addresses after it until the
 * next prefix; without any prefix addresses are "to". Blanks around an
 * address are dropped and empty entries skipped. A CR or LF in an address or
 * the subject is refused with CMC_E_INVALID_PARAMETER, as is a list with no
 * address. CR LF in the text becomes LF. Attachments (file_paths) are not
 * supported. The flags and ui_id are accepted and ignored.
 * Results: CMC_SUCCESS when the program took the message and ended with 0;
 * CMC_E_SERVICE_UNAVAILABLE when it cannot be started; CMC_E_FAILURE when it
 * ended otherwise or did not read the whole message. */
CMC_return_code cmc_send_documents(CMC_string recipient_addrs, CMC_string subject,
                                   CMC_string text_note, CMC_flags send_doc_flags,
                                   CMC_string file_paths, CMC_string file_names,
                                   CMC_string delimiter, CMC_ui_id ui_id);

CMC_return_code cmc_query_configuration(CMC_session_id session, CMC_enum item,
                                        CMC_buffer reference, CMC_extension* config_extensions);
CMC_return_code cmc_logon(CMC_string service, CMC_string user, CMC_string password,
                          CMC_object_identifier character_set, CMC_ui_id ui_id,
                          CMC_uint16 caller_cmc_version, CMC_flags logon_flags,
                          CMC_session_id* session, CMC_extension* logon_extensions);
CMC_return_code cmc_logoff(CMC_session_id session, CMC_ui_id ui_id, CMC_flags logoff_flags,
                           CMC_extension* logoff_extensions);
CMC_return_code cmc_free(CMC_buffer memory);
CMC_return_code cmc_look_up(CMC_session_id session, CMC_recipient* recipient_in,
                            CMC_flags look_up_flags, CMC_ui_id ui_id, CMC_uint32* count,
                            CMC_recipient** recipient_out, CMC_extension* look_up_extensions);
CMC_return_code cmc_list(CMC_session_id session, CMC_string message_type, CMC_flags list_flags,
                         CMC_message_reference* seed, CMC_uint32* count, CMC_ui_id ui_id,
                         CMC_message_summary** result, CMC_extension* list_extensions);
CMC_return_code cmc_send(CMC_session_id session, CMC_message* message, CMC_flags send_flags,
                         CMC_ui_id ui_id, CMC_extension* send_extensions);
CMC_return_code cmc_read(CMC_session_id session, CMC_message_reference* message_reference,
                         CMC_flags read_flags, CMC_message** message, CMC_ui_id ui_id,
                         CMC_extension* read_extensions);
CMC_return_code cmc_act_on(CMC_session_id session, CMC_message_reference* message_reference,
                           CMC_enum operation, CMC_flags act_on_flags, CMC_ui_id ui_id,
                           CMC_extension* act_on_extensions);

/* Pointer type of cmc_send_documents, for callers that bind it by name. */
typedef CMC_return_code (*CMC_send_documents_fn)(CMC_string, CMC_string, CMC_string, CMC_flags,
                                                 CMC_string, CMC_string, CMC_string, CMC_ui_id);

#ifdef __cplusplus
}

namespace orv::platform {
/* The ten entry points, in the order the mail bridge binds them. */
inline constexpr const char* kCmcEntryPoints[10] = {
    "cmc_query_configuration", "cmc_logon", "cmc_logoff", "cmc_free", "cmc_look_up",
    "cmc_list", "cmc_send", "cmc_send_documents", "cmc_read", "cmc_act_on",
};
}  // namespace orv::platform
#endif

#endif /* ORV_PLATFORM_CMC_CMC_H */
