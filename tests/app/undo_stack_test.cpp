#include "app/undo_stack.h"

#include <dirent.h>

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_version.h"
#include "builders/saver_data_list.h"
#include "foundation/string_buffer.h"
#include "foundation/xml_reader.h"
#include "platform/text_encoding.h"
#include "tests/support/test_support.h"

namespace {

class UndoStackTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(CPathName::CreateWorkFolder(kAppWorkFolderName)); }
  void TearDown() override { DeleteUndoFiles(); }

  // One edit as the pages make it: before, the change, after.
  void EditName(const std::string& name) {
    auto snapshot = std::make_unique<CUndoSnapshot>(&list_);
    ASSERT_TRUE(snapshot->SaveBefore());
    list_.SetWinFileName(name.c_str());
    ASSERT_TRUE(snapshot->SaveAfter());
    stack_.Add(std::move(snapshot));
  }
  std::string Name() const { return list_.GetWinFileName(); }
  static int SnapshotFiles() {
    int count = 0;
    if (DIR* folder = opendir(WorkFolder().c_str())) {
      while (dirent* entry = readdir(folder)) {
        const std::string name = entry->d_name;
        if (name.rfind("_undo", 0) == 0 || name.rfind("_redo", 0) == 0) ++count;
      }
      closedir(folder);
    }
    return count;
  }
  static std::string WorkFolder() {
    CPathName probe(nullptr);
    EXPECT_TRUE(probe.SetInWorkFolder("x", true));
    return plat::MacRomanToUtf8(probe.GetParentFolder(true));
  }

  CSaverDataList list_;
  CUndoStack stack_;
};

TEST_F(UndoStackTest, SixEditsKeepFiveAndFiveUndosReturnToTheStateBeforeTheSecond) {
  for (int i = 1; i <= 6; ++i) EditName("n" + std::to_string(i));
  EXPECT_EQ(stack_.GetCount(), 5);
  EXPECT_EQ(stack_.GetIndex(), 5);
  for (int i = 0; i < 5; ++i) {
    ASSERT_TRUE(stack_.CanUndo()) << i;
    stack_.Undo();
  }
  EXPECT_EQ(Name(), "n1");
  EXPECT_FALSE(stack_.CanUndo());
  stack_.Undo();  // nothing left: no change
  EXPECT_EQ(Name(), "n1");
  for (int i = 0; i < 5; ++i) stack_.Redo();
  EXPECT_EQ(Name(), "n6");
  EXPECT_FALSE(stack_.CanRedo());
  // Only the five kept steps have their files: two each.
  EXPECT_EQ(SnapshotFiles(), 10);
}

TEST_F(UndoStackTest, ANewEditAfterUndosDropsTheStepsThatWereUndone) {
  EditName("a");
  EditName("b");
  EditName("c");
  stack_.Undo();
  stack_.Undo();
  EXPECT_EQ(Name(), "a");
  EXPECT_TRUE(stack_.CanRedo());
  EditName("d");
  EXPECT_EQ(stack_.GetCount(), 2);
  EXPECT_FALSE(stack_.CanRedo());
  stack_.Redo();  // nothing to redo: "b" and "c" are gone
  EXPECT_EQ(Name(), "d");
  stack_.Undo();
  EXPECT_EQ(Name(), "a");
}

TEST_F(UndoStackTest, TheSavedStateIsTheStepThatWasSaved) {
  EXPECT_TRUE(stack_.IsSaved());  // a new project matches nothing but itself
  EditName("a");
  EXPECT_FALSE(stack_.IsSaved());
  stack_.MarkSaved();
  EXPECT_TRUE(stack_.IsSaved());
  stack_.Undo();
  EXPECT_FALSE(stack_.IsSaved());  // the project differs from its file again
  stack_.Redo();
  EXPECT_TRUE(stack_.IsSaved());
  // After undoing past the saved step, a new edit can never lead back to it.
  stack_.Undo();
  EditName("b");
  stack_.Undo();
  EXPECT_FALSE(stack_.IsSaved());
  stack_.Redo();
  EXPECT_FALSE(stack_.IsSaved());
  // The limit trims the oldest step; the saved state is still found...
  stack_.Clear();
  EditName("c");
  stack_.MarkSaved();
  for (int i = 0; i < 5; ++i) EditName("d" + std::to_string(i));
  for (int i = 0; i < 5; ++i) stack_.Undo();
  EXPECT_EQ(Name(), "c");
  EXPECT_TRUE(stack_.IsSaved());
  // ...unless it lay before the oldest step that is kept.
  stack_.Clear();
  EXPECT_TRUE(stack_.IsSaved());
  for (int i = 0; i < 6; ++i) EditName("e" + std::to_string(i));
  for (int i = 0; i < 5; ++i) stack_.Undo();
  EXPECT_EQ(Name(), "e0");
  EXPECT_FALSE(stack_.IsSaved());
  stack_.Clear();
  stack_.MarkModified();
  EXPECT_FALSE(stack_.IsSaved());
}

TEST_F(UndoStackTest, SnapshotsMadeInOneTickHaveFilesOfTheirOwnThatGoWithThem) {
  auto first = std::make_unique<CUndoSnapshot>(&list_);
  auto second = std::make_unique<CUndoSnapshot>(&list_);
  const std::vector<const CPathName*> paths = {&first->GetBeforePath(), &first->GetAfterPath(),
                                               &second->GetBeforePath(), &second->GetAfterPath()};
  for (size_t i = 0; i < paths.size(); ++i) {
    EXPECT_EQ(paths[i]->GetLastComponent().rfind(i % 2 ? "_redo" : "_undo", 0), 0u) << paths[i]->GetString();
    EXPECT_EQ(plat::MacRomanToUtf8(paths[i]->GetParentFolder(true)), WorkFolder());
    for (size_t j = 0; j < i; ++j) EXPECT_NE(paths[i]->GetString(), paths[j]->GetString());
  }
  ASSERT_TRUE(first->SaveBefore() && first->SaveAfter() && second->SaveBefore());
  const std::string before = plat::MacRomanToUtf8(first->GetBeforePath().GetString());
  // The snapshot is the list element alone.
  const std::string text = gbtest::ReadTextFile(before);
  EXPECT_EQ(text.rfind("<?xml version=\"1.0\" ?>\n<flash_saver_datalist ", 0), 0u) << text.substr(0, 80);
  first.reset();
  EXPECT_FALSE(gbtest::FileExists(before));
  EXPECT_TRUE(gbtest::FileExists(plat::MacRomanToUtf8(second->GetBeforePath().GetString())));
}

TEST_F(UndoStackTest, ASnapshotThatCannotBeReadChangesNothing) {
  EditName("a");
  EditName("b");
  // The files of the last step are gone (or damaged): undo leaves the list.
  CUndoSnapshot probe(&list_);
  stack_.Undo();
  EXPECT_EQ(Name(), "a");
  gbtest::WriteFile(plat::MacRomanToUtf8(probe.GetBeforePath().GetString()), "<flash_saver_datalist");
  probe.Undo();
  EXPECT_EQ(Name(), "a");
}

// A step restores the values of a project whose file held a name that
// Mac Roman cannot hold: the build is refused again where that name is back.
TEST_F(UndoStackTest, AStepBackToANameTheFileCouldNotHoldIsRefusedAgain) {
  const std::string file = gbtest::MakeTempFolder("undo-unheld") + "project.gmx";
  ASSERT_TRUE(gbtest::WriteFile(file, "<flash_saver_datalist screen_saver_name=\"\xE6\x97\xA5\xE6\x9C\xAC\" />\n"));
  CXmlDocument document;
  CXmlNode root;
  ASSERT_TRUE(document.Open(CPathName(file)) && document.GetRootNode(root));
  ASSERT_TRUE(list_.ReadXml(root));
  CStringBuffer message;
  EXPECT_FALSE(list_.ValidateOutputNames(&message));

  auto snapshot = std::make_unique<CUndoSnapshot>(&list_);
  ASSERT_TRUE(snapshot->SaveBefore());
  list_.SetName("Tokyo");
  ASSERT_TRUE(snapshot->SaveAfter());
  stack_.Add(std::move(snapshot));
  EXPECT_TRUE(list_.ValidateOutputNames(&message)) << message.GetText();
  stack_.Undo();
  EXPECT_EQ(list_.GetName(), "??");
  std::string hostMessage;
  EXPECT_FALSE(list_.ValidateOutputNames(&message, &hostMessage));
  EXPECT_EQ(hostMessage.rfind("\"\xE6\x97\xA5\xE6\x9C\xAC\" holds characters", 0), 0u) << hostMessage;
  stack_.Redo();
  EXPECT_TRUE(list_.ValidateOutputNames(&message)) << message.GetText();
}

TEST_F(UndoStackTest, CleaningUpRemovesOnlyTheSnapshotFiles) {
  const std::string folder = WorkFolder();
  for (const char* name : {"_undo12_1", "_redo12_2", "_undo", "keep.txt", "x_undo"})
    ASSERT_TRUE(gbtest::WriteFile(folder + name, "x"));
  DeleteUndoFiles();
  EXPECT_FALSE(gbtest::FileExists(folder + "_undo12_1"));
  EXPECT_FALSE(gbtest::FileExists(folder + "_redo12_2"));
  EXPECT_FALSE(gbtest::FileExists(folder + "_undo"));
  EXPECT_TRUE(gbtest::FileExists(folder + "keep.txt"));
  EXPECT_TRUE(gbtest::FileExists(folder + "x_undo"));
}

}  // namespace
