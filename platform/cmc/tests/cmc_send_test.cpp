// The CMC library as the mail bridge uses it: loaded by file name, ten calls
// bound by name, sending through a fake sendmail that records what it got.
#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/cmc/cmc.h"
#include "testing/temp_dir.h"

namespace orv::platform {
namespace {

std::string read_file(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CmcLibraryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = dlopen(CMC_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        send_ = reinterpret_cast<CMC_send_documents_fn>(dlsym(library_, "cmc_send_documents"));
        ASSERT_NE(send_, nullptr);

        write_script("sendmail", "printf '%s\\n' \"$@\" > \"$(dirname \"$0\")/args\"\n"
                                 "cat > \"$(dirname \"$0\")/message\"\n");
        write_script("failing", "cat > /dev/null\nexit 75\n");
        write_script("deaf", "exit 0\n");
        setenv(CMC_SENDMAIL_ENVIRONMENT, dir_.file("sendmail").c_str(), 1);
    }

    void TearDown() override
    {
        unsetenv(CMC_SENDMAIL_ENVIRONMENT);
        if (library_)
            dlclose(library_);
    }

    void write_script(const std::string& name, const std::string& body)
    {
        std::string path = dir_.file(name);
        std::ofstream(path) << "#!/bin/sh\n" << body;
        chmod(path.c_str(), 0755);
    }

    CMC_return_code send(const char* recipients, const char* subject, const char* text)
    {
        return send_(const_cast<char*>(recipients), const_cast<char*>(subject), const_cast<char*>(text),
                     CMC_LOGON_UI_ALLOWED | CMC_ERROR_UI_ALLOWED, nullptr, nullptr,
                     const_cast<char*>(","), 0);
    }

    bool sendmail_ran() const { return access(dir_.file("args").c_str(), F_OK) == 0; }

    void* library_ = nullptr;
    CMC_send_documents_fn send_ = nullptr;
    orv::test::TempDir dir_{"cmc"};
};

TEST_F(CmcLibraryTest, AllTenEntryPointsBindByName)
{
    for (const char* name : kCmcEntryPoints)
        EXPECT_NE(dlsym(library_, name), nullptr) << name;
}

TEST_F(CmcLibraryTest, SendsTheExactMessageWithRecipientsOnlyInHeaders)
{
    ASSERT_EQ(send("to:-oQ/tmp/evil,cc:first second", "Lock broken on x.c",
                   "Your lock on revision 1.2 of file\r\n   x.c\r\nhas been broken by bob\r\n"),
              CMC_SUCCESS);
    EXPECT_EQ(read_file(dir_.file("args")), "-oi\n-t\n");
    EXPECT_EQ(read_file(dir_.file("message")),
              "To: -oQ/tmp/evil\n"
              "Cc: first second\n"
              "Subject: Lock broken on x.c\n"
              "MIME-Version: 1.0\n"
              "Content-Type: text/plain; charset=us-ascii\n"
              "Content-Transfer-Encoding: 7bit\n"
              "\n"
              "Your lock on revision 1.2 of file\n   x.c\nhas been broken by bob\n");
}

TEST_F(CmcLibraryTest, RefusesLineBreaksAndEmptyListsWithoutRunningSendmail)
{
    struct Row {
        const char* recipients;
        const char* subject;
    } rows[] = {
        {"alice\r\nBcc: eve@example.org", "s"},
        {"alice\nbob", "s"},
        {"alice", "hello\r\nBcc: eve@example.org"},
        {"alice", "hello\rthere"},
        {",, ,", "s"},
        {"cc:", "s"},
        {nullptr, "s"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(send(row.recipients, row.subject, "text"), CMC_E_INVALID_PARAMETER)
            << (row.recipients ? row.recipients : "(null)") << " / " << row.subject;
        EXPECT_FALSE(sendmail_ran());
    }
}

TEST_F(CmcLibraryTest, ProgramFailuresAreReported)
{
    setenv(CMC_SENDMAIL_ENVIRONMENT, dir_.file("failing").c_str(), 1);
    EXPECT_EQ(send("alice", "s", "t"), CMC_E_FAILURE);

    setenv(CMC_SENDMAIL_ENVIRONMENT, dir_.file("no-such-sendmail").c_str(), 1);
    EXPECT_EQ(send("alice", "s", "t"), CMC_E_SERVICE_UNAVAILABLE);

    // A program that ends with 0 without reading the message has not taken
    // it. The message is far larger than the socket buffer.
    setenv(CMC_SENDMAIL_ENVIRONMENT, dir_.file("deaf").c_str(), 1);
    std::string large(8u << 20, 'x');
    EXPECT_EQ(send("alice", "s", large.c_str()), CMC_E_FAILURE);
}

TEST_F(CmcLibraryTest, AttachmentsAreNotSupported)
{
    EXPECT_EQ(send_(const_cast<char*>("alice"), nullptr, nullptr, 0, const_cast<char*>("/etc/hosts"),
                    nullptr, nullptr, 0),
              CMC_E_NOT_SUPPORTED);
    EXPECT_FALSE(sendmail_ran());
}

TEST_F(CmcLibraryTest, TheOtherCallsAreNotSupported)
{
    using QueryFn = CMC_return_code (*)(CMC_session_id, CMC_enum, CMC_buffer, CMC_extension*);
    using LogonFn = CMC_return_code (*)(CMC_string, CMC_string, CMC_string, CMC_object_identifier,
                                        CMC_ui_id, CMC_uint16, CMC_flags, CMC_session_id*, CMC_extension*);
    using LogoffFn = CMC_return_code (*)(CMC_session_id, CMC_ui_id, CMC_flags, CMC_extension*);
    using FreeFn = CMC_return_code (*)(CMC_buffer);
    using LookUpFn = CMC_return_code (*)(CMC_session_id, CMC_recipient*, CMC_flags, CMC_ui_id,
                                         CMC_uint32*, CMC_recipient**, CMC_extension*);
    using ListFn = CMC_return_code (*)(CMC_session_id, CMC_string, CMC_flags, CMC_message_reference*,
                                       CMC_uint32*, CMC_ui_id, CMC_message_summary**, CMC_extension*);
    using SendFn = CMC_return_code (*)(CMC_session_id, CMC_message*, CMC_flags, CMC_ui_id, CMC_extension*);
    using ReadFn = CMC_return_code (*)(CMC_session_id, CMC_message_reference*, CMC_flags, CMC_message**,
                                       CMC_ui_id, CMC_extension*);
    using ActOnFn = CMC_return_code (*)(CMC_session_id, CMC_message_reference*, CMC_enum, CMC_flags,
                                        CMC_ui_id, CMC_extension*);
    auto bind = [&](const char* name) { return dlsym(library_, name); };
    CMC_session_id session = 0;
    CMC_uint32 count = 0;
    EXPECT_EQ(reinterpret_cast<QueryFn>(bind("cmc_query_configuration"))(0, 0, nullptr, nullptr),
              CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<LogonFn>(bind("cmc_logon"))(nullptr, nullptr, nullptr, nullptr, 0, 100, 0,
                                                           &session, nullptr),
              CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<LogoffFn>(bind("cmc_logoff"))(0, 0, 0, nullptr), CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<FreeFn>(bind("cmc_free"))(nullptr), CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<LookUpFn>(bind("cmc_look_up"))(0, nullptr, 0, 0, &count, nullptr, nullptr),
              CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<ListFn>(bind("cmc_list"))(0, nullptr, 0, nullptr, &count, 0, nullptr, nullptr),
              CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<SendFn>(bind("cmc_send"))(0, nullptr, 0, 0, nullptr), CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<ReadFn>(bind("cmc_read"))(0, nullptr, 0, nullptr, 0, nullptr),
              CMC_E_NOT_SUPPORTED);
    EXPECT_EQ(reinterpret_cast<ActOnFn>(bind("cmc_act_on"))(0, nullptr, 0, 0, 0, nullptr),
              CMC_E_NOT_SUPPORTED);
}

TEST_F(CmcLibraryTest, OnlyTheCmcCallsAreExported)
{
    EXPECT_EQ(dlsym(library_, "_ZN3orv8platform20compose_mail_messageERKNS0_14MailRecipientsESt17basic_string_viewIcSt11char_traitsIcEES6_"),
              nullptr);
}

}  // namespace
}  // namespace orv::platform
