#include "framework/docview/Document.h"

#include <gtest/gtest.h>

#include <QTest>
#include <sys/stat.h>
#include <unistd.h>

#include "Fixtures.h"
#include "framework/base/CommandIds.h"
#include "framework/docview/RecentFileList.h"
#include "toolbox/base/Exception.h"

using namespace framework;
using namespace fixtures;

namespace {

class DocumentTest : public testing::Test {
 protected:
  void SetUp() override {
    app.m_pRecentFileList = new RecentFileList(0, 4);
    app.OnFileNew();
    document = app.Document();
    ASSERT_NE(document, nullptr);
  }

  // Opens through the File Open command, answering the file dialog with the path.
  Document* OpenThroughDialog(const std::string& path) {
    modals.Answer(IDOK, path);
    app.OnFileOpen();
    return app.Document();
  }

  scratch::Folder folder;
  Modals modals;
  TestApp app;
  TestDocument* document = nullptr;
};

TEST_F(DocumentTest, OpenReadsTheFileAndNewAfterOpenStartsEmptyAndUntitled) {
  scratch::WriteFile(folder / "trip.vyt", "socks");
  const int updatesBefore = app.View()->updateCount;
  OpenThroughDialog(folder / "trip.vyt");
  ASSERT_EQ(modals.asked.size(), 1u);
  EXPECT_EQ(modals.asked[0].kind, ModalRequest::openFile);
  ASSERT_EQ(modals.asked[0].filters.size(), 2u);
  EXPECT_EQ(modals.asked[0].filters[0].name, "Document");
  EXPECT_EQ(modals.asked[0].filters[0].patterns, "*.vyt");
  EXPECT_EQ(document->content, "socks");
  EXPECT_EQ(document->GetPathName(), folder / "trip.vyt");
  EXPECT_EQ(document->GetTitle(), "trip.vyt");
  EXPECT_EQ(app.Frame()->windowTitle(), "trip.vyt - Voyanta");
  EXPECT_FALSE(document->IsModified());
  EXPECT_EQ((*app.m_pRecentFileList)[0], folder / "trip.vyt");
  EXPECT_GT(app.View()->updateCount, updatesBefore);

  const int newBefore = document->newCount;
  app.OnFileNew();
  EXPECT_EQ(app.Document(), document);  // one document, reused
  EXPECT_EQ(document->newCount, newBefore + 1);
  EXPECT_EQ(document->content, "");
  EXPECT_EQ(document->GetPathName(), "");
  EXPECT_EQ(document->GetTitle(), "Unnamed");
}

TEST_F(DocumentTest, OpeningTheOpenDocumentAgainDoesNotReadIt) {
  scratch::WriteFile(folder / "trip.vyt", "socks");
  OpenThroughDialog(folder / "trip.vyt");
  document->content = "socks and shoes";
  EXPECT_EQ(app.OpenDocumentFile((folder / "trip.vyt").c_str()), document);
  EXPECT_EQ(document->content, "socks and shoes");
  EXPECT_EQ(document->serializeCount, 1);
}

TEST_F(DocumentTest, EmptyFileIsNotPassedToSerialize) {
  scratch::WriteFile(folder / "empty.vyt", "");
  document->content = "kept";
  OpenThroughDialog(folder / "empty.vyt");
  EXPECT_EQ(document->serializeCount, 0);
  EXPECT_EQ(document->content, "kept");
  EXPECT_EQ(document->GetTitle(), "empty.vyt");
  EXPECT_FALSE(document->IsModified());
}

TEST_F(DocumentTest, ReadErrorFallsBackToNewUntitledDocumentWithMessage) {
  scratch::WriteFile(folder / "old.vyt", "old trip");
  OpenThroughDialog(folder / "old.vyt");
  scratch::WriteFile(folder / "bad.vyt", "broken trip");
  document->failAfter = 4;
  const int newBefore = document->newCount;
  const int updatesBefore = app.View()->updateCount;
  modals.Answer(IDOK);
  EXPECT_EQ(app.OpenDocumentFile((folder / "bad.vyt").c_str()), nullptr);
  // The system's reason follows the message.
  EXPECT_EQ(modals.Texts().back(),
            "Encountered an unexpected error while reading " + (folder / "bad.vyt") + ".\nInput/output error");
  EXPECT_EQ(document->newCount, newBefore + 1);
  EXPECT_EQ(document->GetTitle(), "Unnamed");
  EXPECT_EQ(document->GetPathName(), "");  // a later Save cannot overwrite old.vyt
  EXPECT_FALSE(document->IsModified());
  EXPECT_GT(app.View()->updateCount, updatesBefore);
  EXPECT_EQ(scratch::ReadFile(folder / "old.vyt"), "old trip");
}

TEST_F(DocumentTest, FileThatCannotBeOpenedIsReportedAndTheDocumentKept) {
  scratch::WriteFile(folder / "old.vyt", "old trip");
  OpenThroughDialog(folder / "old.vyt");
  document->SetModifiedFlag();
  modals.Answer(IDNO);  // do not save old.vyt
  modals.Answer(IDOK);  // the message
  EXPECT_EQ(app.OpenDocumentFile((folder / "gone.vyt").c_str()), nullptr);
  EXPECT_EQ(modals.Texts().back(), (folder / "gone.vyt") + "\nFile not found.");
  EXPECT_EQ(document->content, "old trip");
  EXPECT_EQ(document->GetPathName(), folder / "old.vyt");
  EXPECT_TRUE(document->IsModified());
}

TEST_F(DocumentTest, WhatIsNotARegularFileIsNeitherOpenedNorSavedOverAndTheMessageSaysSo) {
  scratch::WriteFile(folder / "old.vyt", "old trip");
  OpenThroughDialog(folder / "old.vyt");
  ASSERT_EQ(mkfifo((folder / "fifo.vyt").c_str(), 0644), 0);
  ASSERT_EQ(symlink("/dev/zero", (folder / "zero.vyt").c_str()), 0);
  for (const std::string name : {"fifo.vyt", "zero.vyt"}) {
    SCOPED_TRACE(name);
    const std::string expected = (folder / name) + " is not a regular file.";
    modals.Answer(IDOK);
    EXPECT_EQ(app.OpenDocumentFile((folder / name).c_str()), nullptr);  // the opening does not wait on the FIFO
    EXPECT_EQ(modals.Texts().back(), expected);
    EXPECT_EQ(document->content, "old trip");
    modals.Answer(IDOK);
    EXPECT_FALSE(document->DoSave((folder / name).c_str()));
    EXPECT_EQ(modals.Texts().back(), expected);
  }
  EXPECT_EQ(document->GetPathName(), folder / "old.vyt");
}

TEST_F(DocumentTest, OpenAsksToSaveAModifiedDocumentAndCancelKeepsIt) {
  scratch::WriteFile(folder / "other.vyt", "other");
  document->content = "unsaved";
  document->SetModifiedFlag();
  modals.Answer(IDOK, folder / "other.vyt");  // the open dialog comes first
  modals.Answer(IDCANCEL);                    // then the question
  app.OnFileOpen();
  EXPECT_EQ(modals.asked.back().text, "Save changes to Unnamed?");
  EXPECT_EQ(modals.asked.back().caption, "Voyanta");
  EXPECT_EQ(modals.asked.back().type & 0xF, MB_YESNOCANCEL);
  EXPECT_EQ(document->content, "unsaved");
  EXPECT_TRUE(document->IsModified());
}

TEST_F(DocumentTest, SaveAsProposesTheTitleAndAppendsTheExtension) {
  document->content = "tent";
  document->SetModifiedFlag();
  modals.Answer(IDOK, folder / "summer");
  EXPECT_TRUE(app.Frame()->RouteCommand(ID_FILE_SAVE));  // untitled: Save asks for a name
  EXPECT_EQ(modals.asked[0].kind, ModalRequest::saveFile);
  EXPECT_EQ(modals.asked[0].fileName, "Unnamed.vyt");
  EXPECT_EQ(scratch::ReadFile(folder / "summer.vyt"), "tent");
  EXPECT_EQ(document->GetPathName(), folder / "summer.vyt");
  EXPECT_EQ(document->GetTitle(), "summer.vyt");
  EXPECT_FALSE(document->IsModified());
  EXPECT_EQ((*app.m_pRecentFileList)[0], folder / "summer.vyt");

  // A name with an extension of its own keeps it; Save then writes without asking.
  modals.Answer(IDOK, folder / "winter.trip");
  app.Frame()->RouteCommand(ID_FILE_SAVE_AS);
  EXPECT_EQ(scratch::ReadFile(folder / "winter.trip"), "tent");
  document->content = "tent and stove";
  app.Frame()->RouteCommand(ID_FILE_SAVE);
  EXPECT_EQ(scratch::ReadFile(folder / "winter.trip"), "tent and stove");
  EXPECT_EQ(modals.asked.size(), 2u);
}

TEST_F(DocumentTest, FailedSaveKeepsTheOldFileAndTheModifiedFlagAndLeavesNoTemporaryFile) {
  scratch::WriteFile(folder / "trip.vyt", "old contents");
  OpenThroughDialog(folder / "trip.vyt");
  document->content = "new contents";
  document->SetModifiedFlag();
  document->failAfter = 3;
  modals.Answer(IDOK);
  EXPECT_FALSE(document->DoFileSave());
  EXPECT_EQ(modals.Texts().back(), "Failed to save document.\nInput/output error");
  EXPECT_EQ(scratch::ReadFile(folder / "trip.vyt"), "old contents");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"trip.vyt"});
  EXPECT_TRUE(document->IsModified());

  // Save As onto another existing file that fails leaves that file alone too.
  scratch::WriteFile(folder / "other.vyt", "other contents");
  modals.Answer(IDOK, folder / "other.vyt");
  modals.Answer(IDOK);
  EXPECT_FALSE(document->DoSave(nullptr));
  EXPECT_EQ(scratch::ReadFile(folder / "other.vyt"), "other contents");
  EXPECT_EQ(document->GetPathName(), folder / "trip.vyt");
}

TEST_F(DocumentTest, SaveIntoMissingFolderReportsTheCause) {
  document->SetModifiedFlag();
  modals.Answer(IDOK);
  EXPECT_FALSE(document->DoSave((folder / "no/such.vyt").c_str()));
  EXPECT_EQ(modals.Texts().back(), (folder / "no/such.vyt") + "\nFile not found.");
  EXPECT_TRUE(document->IsModified());
}

TEST_F(DocumentTest, ClosingTheFrameAsksToSaveAndCancelKeepsItOpen) {
  Activate(app.Frame());
  document->content = "list";
  document->SetModifiedFlag();

  modals.Answer(IDCANCEL);
  EXPECT_FALSE(app.Frame()->close());
  EXPECT_TRUE(app.Frame()->isVisible());

  modals.Answer(IDYES);
  modals.Answer(IDOK, folder / "closing");
  EXPECT_TRUE(app.Frame()->close());
  EXPECT_EQ(scratch::ReadFile(folder / "closing.vyt"), "list");

  app.Frame()->show();
  document->SetModifiedFlag();
  document->content = "changed";
  modals.Answer(IDNO);
  EXPECT_TRUE(app.Frame()->close());
  EXPECT_EQ(scratch::ReadFile(folder / "closing.vyt"), "list");
  EXPECT_EQ(modals.Texts(), (std::vector<std::string>{"Save changes to Unnamed?", "Save changes to Unnamed?", "",
                                                     "Save changes to closing.vyt?"}));
}

TEST_F(DocumentTest, YesWhoseSaveIsCancelledKeepsTheFrameOpen) {
  Activate(app.Frame());
  document->SetModifiedFlag();
  modals.Answer(IDYES);
  modals.Answer(IDCANCEL);  // the save dialog
  EXPECT_FALSE(app.Frame()->close());
  EXPECT_TRUE(document->IsModified());
}

}  // namespace

namespace {

// A document whose data runs out of memory while it is read or written.
class ExhaustedDocument : public framework::Document {
 public:
  void Serialize(framework::Archive&) override {
    if (standardFailure) throw std::bad_alloc();
    throw toolbox::EOutOfMemory();
  }
  bool standardFailure = false;
};

}  // namespace

TEST(DocumentMemoryTest, RunningOutOfMemoryWhileReadingOrWritingIsReportedNotFatal) {
  scratch::Folder folder;
  scratch::WriteFile(folder / "trip.vyt", "items");
  Modals modals;
  ExhaustedDocument document;
  modals.Answer(IDOK);
  EXPECT_FALSE(document.OnOpenDocument((folder / "trip.vyt").c_str()));
  modals.Answer(IDOK);
  document.standardFailure = true;
  EXPECT_FALSE(document.OnSaveDocument((folder / "trip.vyt").c_str()));
  EXPECT_EQ(modals.Texts(), (std::vector<std::string>{"Out of memory.", "Out of memory."}));
  EXPECT_EQ(scratch::ReadFile(folder / "trip.vyt"), "items");
}
