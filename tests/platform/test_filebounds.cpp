#include "platform/cfile.h"
#include "platform/registrystore.h"
#include "platform/richeditctrl.h"
#include "support/registryfixture.h"
#include "support/tempdir.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

// The files beside the database that the program reads whole: a template up
// to 256 KiB, the registry store up to 1 MiB, and no further.
namespace {

constexpr std::size_t kMiB = 1u << 20;
constexpr std::size_t kTemplateBytes = 256u << 10;

// A template whose caption comes first and whose padding runs on to nBytes.
TEST(TemplateBound, OnlyTheFirstQuarterMebibyteIsRead) {
    const std::string strHead = "{\\rtf1\\ansi Caption:\\par ";
    for (const std::size_t nBytes :
         {kTemplateBytes - 1, kTemplateBytes, kTemplateBytes + 1, 3 * kMiB}) {
        CTempDir dir;
        dir.WriteFile("t.rtf", strHead + std::string(nBytes - strHead.size(), 'x'));
        CFile file;
        ASSERT_TRUE(file.Open(dir.File("t.rtf")));
        CRichEditCtrl ctrl;
        EXPECT_EQ(ctrl.StreamInFile(file), static_cast<long>(std::min(nBytes, kTemplateBytes)))
            << nBytes;
        EXPECT_EQ(ctrl.GetText().substr(0, 10), "Caption:\r\n") << nBytes;
        EXPECT_EQ(ctrl.GetText().size(), 10 + std::min(nBytes, kTemplateBytes) - strHead.size())
            << nBytes;
    }
}

class StoreBound : public RegistryTest {};

// A store just over the bound is treated as unreadable: nothing of it is used.
TEST_F(StoreBound, AStoreBeyondAMebibyteIsUnreadable) {
    const std::string strValue = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\KORV\\Verlumo]\r\n"
                                 "\"FirstItem\"=dword:00000005\r\n\r\n;";
    for (const std::size_t nBytes : {kMiB, kMiB + 1}) {
        WriteStore(strValue + std::string(nBytes - strValue.size(), 'x'));
        std::shared_ptr<const regfile::CHive> hive;
        const LONG nResult = regstore::Read(regstore::Root::LocalMachine, hive);
        EXPECT_EQ(nResult, nBytes > kMiB ? ERROR_BADDB : ERROR_SUCCESS) << nBytes;
    }
}

} // namespace
