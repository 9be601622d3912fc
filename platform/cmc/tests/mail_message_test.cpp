// Recipient lists and message composition of the CMC stand-in.
#include <gtest/gtest.h>

#include "platform/cmc/mail_message.h"

namespace orv::platform {
namespace {

using Names = std::vector<std::string>;

TEST(RecipientList, PrefixesBlanksAndEmptyEntries)
{
    struct Row {
        const char* list;
        const char* delimiter;
        Names to, cc, bcc;
    } rows[] = {
        {"alice", ",", {"alice"}, {}, {}},
        {" alice , bob ", ",", {"alice", "bob"}, {}, {}},
        {"to:owner,cc:first,,second", ",", {"owner"}, {"first", "second"}, {}},
        {"to:owner,cc:first,, second", ",", {"owner"}, {"first", "second"}, {}},
        {"CC:x,To:y,BCC:z", ",", {"y"}, {"x"}, {"z"}},
        {"cc:,a", ",", {}, {"a"}, {}},
        {",, ,", ",", {}, {}, {}},
        {"a;b,c", ";", {"a", "b,c"}, {}, {}},
        {"a::b", "::", {"a", "b"}, {}, {}},
        {"a,b", "", {"a", "b"}, {}, {}},
        {"Bob Smith <bob@example.org>", ",", {"Bob Smith <bob@example.org>"}, {}, {}},
    };
    for (const Row& row : rows) {
        auto parsed = parse_recipient_list(row.list, row.delimiter);
        ASSERT_TRUE(parsed.has_value()) << row.list;
        EXPECT_EQ(parsed->to, row.to) << row.list;
        EXPECT_EQ(parsed->cc, row.cc) << row.list;
        EXPECT_EQ(parsed->bcc, row.bcc) << row.list;
    }
}

TEST(RecipientList, LineBreaksAndNulAreRefused)
{
    for (std::string_view list : {std::string_view("a\r\nBcc: eve"), std::string_view("a,b\nc"),
                                  std::string_view("a\rb"), std::string_view("a\0b", 3)})
        EXPECT_FALSE(parse_recipient_list(list, ",").has_value()) << list;
    EXPECT_FALSE(is_safe_header_text("Subject\nBcc: eve"));
    EXPECT_FALSE(is_safe_header_text("x\r"));
    EXPECT_TRUE(is_safe_header_text("tabs\tare fine"));
}

TEST(ComposeMessage, HeadersBodyAndLineEnds)
{
    MailRecipients r{{"owner"}, {"first", "second"}, {"hidden"}};
    EXPECT_EQ(compose_mail_message(r, "Lock broken on x.c", "Your lock\r\nwas broken\r\nbye"),
              "To: owner\n"
              "Cc: first, second\n"
              "Bcc: hidden\n"
              "Subject: Lock broken on x.c\n"
              "MIME-Version: 1.0\n"
              "Content-Type: text/plain; charset=us-ascii\n"
              "Content-Transfer-Encoding: 7bit\n"
              "\n"
              "Your lock\nwas broken\nbye\n");
}

TEST(ComposeMessage, CharsetsAndEncodedSubject)
{
    MailRecipients r{{"a"}, {}, {}};
    std::string utf8 = compose_mail_message(r, "caf\xc3\xa9", "caf\xc3\xa9\n");
    EXPECT_NE(utf8.find("Subject: =?UTF-8?B?Y2Fmw6k=?=\n"), std::string::npos) << utf8;
    EXPECT_NE(utf8.find("charset=UTF-8\nContent-Transfer-Encoding: 8bit\n"), std::string::npos);

    std::string latin = compose_mail_message(r, "caf\xe9", "caf\xe9\n");
    EXPECT_NE(latin.find("Subject: =?ISO-8859-1?B?Y2Fm6Q==?=\n"), std::string::npos) << latin;
    EXPECT_NE(latin.find("charset=ISO-8859-1\n"), std::string::npos);

    std::string empty = compose_mail_message(r, "", "");
    EXPECT_EQ(empty.substr(empty.size() - 2), "\n\n");
    EXPECT_NE(empty.find("Subject: \n"), std::string::npos);
}

TEST(ComposeMessage, LongHeadersAreFoldedAndUnfoldBack)
{
    Names many;
    for (int i = 0; i < 12; ++i)
        many.push_back("user" + std::to_string(i) + "@example.org");
    std::string subject;
    for (int i = 0; i < 30; ++i)
        subject += "word" + std::to_string(i) + " ";
    std::string long_utf8;
    for (int i = 0; i < 40; ++i)
        long_utf8 += "\xc3\xa9";

    std::string message = compose_mail_message(MailRecipients{many, {}, {}}, subject, "x");
    std::string headers = message.substr(0, message.find("\n\n") + 1);
    std::size_t start = 0;
    while (start < headers.size()) {
        std::size_t end = headers.find('\n', start);
        EXPECT_LE(end - start, 79u) << headers.substr(start, end - start);
        start = end + 1;
    }
    std::string unfolded;
    for (std::size_t i = 0; i < headers.size(); ++i)
        if (!(headers[i] == '\n' && i + 1 < headers.size() && (headers[i + 1] == ' ' || headers[i + 1] == '\t')))
            unfolded += headers[i];
    EXPECT_NE(unfolded.find("Subject: " + subject + "\n"), std::string::npos);
    EXPECT_NE(unfolded.find("To: user0@example.org, user1@example.org,"), std::string::npos);
    EXPECT_NE(unfolded.find("user11@example.org\n"), std::string::npos);

    // 80 bytes of two-byte characters: two encoded words of whole characters.
    std::string encoded = compose_mail_message(MailRecipients{{"a"}, {}, {}}, long_utf8, "");
    EXPECT_NE(encoded.find("Subject: =?UTF-8?B?"), std::string::npos);
    EXPECT_NE(encoded.find("?=\n =?UTF-8?B?"), std::string::npos) << encoded;

    // A word too long for any header line is encoded, in folded pieces.
    std::string huge = compose_mail_message(MailRecipients{{"a"}, {}, {}}, std::string(2000, 'w'), "");
    EXPECT_NE(huge.find("Subject: =?UTF-8?B?d3d3"), std::string::npos);
    EXPECT_EQ(huge.find(std::string(100, 'w')), std::string::npos);
}

}  // namespace
}  // namespace orv::platform
