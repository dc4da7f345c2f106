#include <gtest/gtest.h>
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <string>

#include "agent_refresh/work_folder.h"
#include "tests/agent_refresh/refresh_sandbox.h"

namespace {

constexpr SECURITY_INFORMATION kOwnerAndAccess =
    OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;

std::string DescriptorText(PSECURITY_DESCRIPTOR descriptor) {
  char* text = nullptr;
  if (!ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                            kOwnerAndAccess, &text, nullptr))
    return "unreadable";
  std::string result = text;
  LocalFree(text);
  return result;
}

// The descriptor as the file system reports it back.
std::string StoredDescriptor(const std::string& path) {
  char buffer[4096];
  DWORD needed = 0;
  if (!GetFileSecurityA(path.c_str(), kOwnerAndAccess, buffer, sizeof(buffer), &needed))
    return "unreadable";
  return DescriptorText(buffer);
}

TEST(WorkFolder, DescriptorGrantsSystemAndAdministratorsAloneAndInheritsNothing) {
  UniqueSecurityDescriptor descriptor = ElevatedOnlySecurityDescriptor();
  ASSERT_TRUE(descriptor);
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor.get(), &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED) << "inheritance from the temporary folder is blocked";

  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor.get(), &owner, &defaulted));
  EXPECT_TRUE(IsWellKnownSid(owner, WinBuiltinAdministratorsSid));

  BOOL present = FALSE;
  PACL access = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor.get(), &present, &access, &defaulted));
  ASSERT_TRUE(present && access);
  ASSERT_EQ(access->AceCount, 2);
  const WELL_KNOWN_SID_TYPE expected[] = {WinLocalSystemSid, WinBuiltinAdministratorsSid};
  for (DWORD i = 0; i < access->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(access, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(ace->Mask, static_cast<DWORD>(FILE_ALL_ACCESS));
    EXPECT_TRUE(IsWellKnownSid(&ace->SidStart, expected[i])) << i;
  }
}

TEST(WorkFolder, IsCreatedWithThatDescriptor) {
  TempPathSandbox sandbox("work_folder_descriptor");
  WorkFolder folder;
  ASSERT_TRUE(folder.Create(0));

  // Windows keeps the descriptor as given. Wine keeps none: it turns the
  // access list into Unix permissions (owner and group from the two
  // entries, nothing for others) and reports those back. Either way the
  // folder must read back as one made with this very descriptor does, and
  // not as one made without it.
  UniqueSecurityDescriptor descriptor = ElevatedOnlySecurityDescriptor();
  SECURITY_ATTRIBUTES security = {sizeof(security), descriptor.get(), FALSE};
  std::string reference = sandbox.Path() + "reference";
  std::string plain = sandbox.Path() + "plain";
  ASSERT_TRUE(CreateDirectoryA(reference.c_str(), &security));
  ASSERT_TRUE(CreateDirectoryA(plain.c_str(), nullptr));

  EXPECT_EQ(StoredDescriptor(folder.Path()), StoredDescriptor(reference));
  EXPECT_NE(StoredDescriptor(folder.Path()), StoredDescriptor(plain));
  EXPECT_EQ(StoredDescriptor(folder.Path()).find(";;;WD)"), std::string::npos)
      << "everyone may read: " << StoredDescriptor(folder.Path());
  RemoveDirectoryA(reference.c_str());
  RemoveDirectoryA(plain.c_str());
}

TEST(WorkFolder, IsHeldAgainstRenameAndDeletionUntilRemoved) {
  TempPathSandbox sandbox("work_folder_held");
  WorkFolder folder;
  ASSERT_TRUE(folder.Create(0));
  const std::string path = folder.Path();
  ASSERT_EQ(path.find(sandbox.Path()), 0u);
  ASSERT_TRUE(WriteWholeFile(path + "\\plain.txt", "plain"));
  ASSERT_TRUE(WriteWholeFile(path + "\\read-only.txt", "cabinet entry"));
  ASSERT_TRUE(SetFileAttributesA((path + "\\read-only.txt").c_str(), FILE_ATTRIBUTE_READONLY));

  EXPECT_FALSE(MoveFileA(path.c_str(), (path + " moved").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(RemoveDirectoryA(path.c_str()));
  HANDLE deleter = CreateFileA(
      path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  EXPECT_EQ(deleter, INVALID_HANDLE_VALUE);
  if (deleter != INVALID_HANDLE_VALUE) CloseHandle(deleter);

  folder.Remove();
  EXPECT_TRUE(folder.Path().empty());
  EXPECT_TRUE(sandbox.Entries().empty());
  folder.Remove();  // a second removal does nothing
}

}  // namespace
