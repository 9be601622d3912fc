// Building the RFC 5322 message that cmc_send_documents hands to sendmail.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orv::platform {

struct MailRecipients {
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<std::string> bcc;

    bool empty() const { return to.empty() && cc.empty() && bcc.empty(); }
};

// False when the text holds CR, LF or NUL, which would let it end a header
// line and add headers (or recipients) of its own.
bool is_safe_header_text(std::string_view text);

// Splits a CMC recipient list at `delimiter` (empty means ","). Blanks around
// an entry are dropped and empty entries skipped. A prefix "to:", "cc:" or
// "bcc:" (any case) sets the kind of this entry and of the following ones
// until the next prefix; before any prefix entries are "to". The lock-notice
// mail writes "to:owner,cc:first,second", meaning both cc. nullopt when an
// entry is not safe header text.
std::optional<MailRecipients> parse_recipient_list(std::string_view list, std::string_view delimiter);

// The whole message: To, Cc, Bcc (sendmail -t drops it after reading),
// Subject, MIME-Version, Content-Type and Content-Transfer-Encoding headers,
// a blank line and the body. Lines end with LF (the local convention that
// sendmail expects); CR LF in the body becomes LF and a last line gets its
// LF. Long address headers are folded between addresses. A subject with bytes
// outside printable ASCII is written as RFC 2047 encoded words. Texts are
// labelled UTF-8 when they are valid UTF-8, else ISO-8859-1. The recipients
// and subject must be safe header text.
std::string compose_mail_message(const MailRecipients& recipients, std::string_view subject,
                                 std::string_view body);

}  // namespace orv::platform
