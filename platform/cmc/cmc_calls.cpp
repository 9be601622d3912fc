// The exported CMC calls of libcmc.so. Only sending a text note is
// implemented; it goes to a sendmail-compatible program.
#include <new>

#include "platform/cmc/cmc.h"
#include "platform/cmc/mail_message.h"
#include "platform/cmc/sendmail_pipe.h"

#define CMC_EXPORT extern "C" __attribute__((visibility("default")))

using orv::platform::SendmailOutcome;

CMC_EXPORT CMC_return_code cmc_send_documents(CMC_string recipient_addrs, CMC_string subject,
                                              CMC_string text_note, CMC_flags /*send_doc_flags*/,
                                              CMC_string file_paths, CMC_string /*file_names*/,
                                              CMC_string delimiter, CMC_ui_id /*ui_id*/)
{
    try {
        if (recipient_addrs == nullptr)
            return CMC_E_INVALID_PARAMETER;
        if (file_paths != nullptr && *file_paths != '\0')
            return CMC_E_NOT_SUPPORTED;
        std::string_view subject_text = subject != nullptr ? subject : "";
        if (!orv::platform::is_safe_header_text(subject_text))
            return CMC_E_INVALID_PARAMETER;
        auto recipients = orv::platform::parse_recipient_list(
            recipient_addrs, delimiter != nullptr ? delimiter : "");
        if (!recipients || recipients->empty())
            return CMC_E_INVALID_PARAMETER;
        std::string message = orv::platform::compose_mail_message(
            *recipients, subject_text, text_note != nullptr ? text_note : "");
        SendmailOutcome outcome =
            orv::platform::pipe_to_sendmail(orv::platform::sendmail_program(), message);
        switch (outcome.status) {
        case SendmailOutcome::Status::Delivered: return CMC_SUCCESS;
        case SendmailOutcome::Status::NotStarted: return CMC_E_SERVICE_UNAVAILABLE;
        case SendmailOutcome::Status::Failed: break;
        }
        return CMC_E_FAILURE;
    } catch (const std::bad_alloc&) {
        return CMC_E_INSUFFICIENT_MEMORY;
    } catch (...) {
        return CMC_E_FAILURE;
    }
}

CMC_EXPORT CMC_return_code cmc_query_configuration(CMC_session_id, CMC_enum, CMC_buffer, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_logon(CMC_string, CMC_string, CMC_string, CMC_object_identifier,
                                     CMC_ui_id, CMC_uint16, CMC_flags, CMC_session_id*, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_logoff(CMC_session_id, CMC_ui_id, CMC_flags, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_free(CMC_buffer)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_look_up(CMC_session_id, CMC_recipient*, CMC_flags, CMC_ui_id,
                                       CMC_uint32*, CMC_recipient**, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_list(CMC_session_id, CMC_string, CMC_flags, CMC_message_reference*,
                                    CMC_uint32*, CMC_ui_id, CMC_message_summary**, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_send(CMC_session_id, CMC_message*, CMC_flags, CMC_ui_id, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_read(CMC_session_id, CMC_message_reference*, CMC_flags, CMC_message**,
                                    CMC_ui_id, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}

CMC_EXPORT CMC_return_code cmc_act_on(CMC_session_id, CMC_message_reference*, CMC_enum, CMC_flags,
                                      CMC_ui_id, CMC_extension*)
{
    return CMC_E_NOT_SUPPORTED;
}
