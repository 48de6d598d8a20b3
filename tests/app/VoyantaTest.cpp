#include "app/Voyanta.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <functional>

#include <QDialog>
#include <QTest>

#include "Program.h"
#include "framework/dialogs/MessageBox.h"
#include "support/FileSizeLimit.h"
#include "support/LaterStart.h"

using program::ProgramTest;

namespace {

using Texts = std::vector<std::string>;

// The texts of the files of the folder whose names end as given (".trip", ".rescue").
Texts FilesEndingIn(const std::string& folder, const std::string& ending) {
  Texts texts;
  if (!std::filesystem::is_directory(folder)) return texts;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() == ending) texts.push_back(scratch::ReadFile(entry.path()));
  }
  return texts;
}

class StartUpTest : public ProgramTest {};

TEST_F(StartUpTest, WithoutARepositoryFileAnEmptyOneIsCreatedBesideTheProgram) {
  ASSERT_TRUE(Start());
  struct stat info;
  ASSERT_EQ(stat(RepositoryFile().c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(info.st_size, 0);
  EXPECT_EQ(View().GetItemCount(), 0);
  EXPECT_TRUE(Window().isVisible());
  EXPECT_EQ(Trip().GetTitle(), "Unnamed");
}

TEST_F(StartUpTest, RepositoryIsReadSortedAndTheNewTripClearsItsCheckMarks) {
  scratch::WriteFile(RepositoryFile(), "1\t2\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n1\tone\tTowel\tBathroom\t\n");
  ASSERT_TRUE(Start());
  EXPECT_EQ(RepositoryItems(), (Texts{"0\t\tTowel\tBathroom\t", "0\t\tTent\tCamping\t", "0\t\tSocks\tClothes\t"}));
  ASSERT_EQ(View().GetItemCount(), 3);
  EXPECT_EQ(View().GetItemText(2, 1), "Socks");
  EXPECT_EQ(View().GetItemText(2, 0), "");
  EXPECT_FALSE(Trip().IsModified());
}

TEST_F(StartUpTest, TripNamedOnTheCommandLineShowsItsCheckMarks) {
  scratch::WriteFile(RepositoryFile(), "0\t\tSocks\tClothes\t\n0\t\tTent\tCamping\t\n");
  scratch::WriteFile(folder / "summer.vyt", "1\t3\tSocks\tClothes\t\n");
  SetArguments({"/log", "debug", folder / "summer.vyt"});
  ASSERT_TRUE(Start());
  EXPECT_EQ(RepositoryItems(), (Texts{"0\t\tTent\tCamping\t", "1\t3\tSocks\tClothes\t"}));
  EXPECT_EQ(View().GetItemText(1, 0), "3");
  EXPECT_EQ(Trip().GetPathName(), folder / "summer.vyt");
  EXPECT_EQ(Trip().GetTitle(), "summer.vyt");
}

TEST_F(StartUpTest, LogOptionIsNotTakenForATripName) {
  // A file named like the level would be opened if the level were taken for a trip.
  scratch::WriteFile(folder / "debug", "1\t\tSocks\tClothes\t\n");
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  SetArguments({"/log", "debug"});
  const bool started = Start();
  std::filesystem::current_path(previous);
  ASSERT_TRUE(started);
  EXPECT_EQ(Trip().GetPathName(), "");
  EXPECT_EQ(Trip().GetTitle(), "Unnamed");
  EXPECT_EQ(View().GetItemCount(), 0);
}

TEST_F(StartUpTest, StoredMaximizedStateShowsTheWindowMaximized) {
  std::filesystem::create_directories(folder / "Quorvane/Voyanta");
  scratch::WriteFile(ConfigFile(), "<MainFrame>\n\t<Maximized>1</>\n</MainFrame>\n");
  ASSERT_TRUE(Start());
  EXPECT_TRUE(Window().isMaximized());
}

// The repository path is taken by something that is not a readable file. Root may read and
// write every file, so these are what fails for root too.
class UnusableRepositoryTest : public ProgramTest, public testing::WithParamInterface<const char*> {};

TEST_P(UnusableRepositoryTest, StartEndsWithAMessageNamingTheFileAndTheFileIsNotRewritten) {
  const std::string kind = GetParam();
  if (kind == "folder") {
    ASSERT_EQ(mkdir(RepositoryFile().c_str(), 0755), 0);
  } else if (kind == "fifo") {
    ASSERT_EQ(mkfifo(RepositoryFile().c_str(), 0644), 0);  // the start must not wait for a writer
  } else if (kind == "device") {
    ASSERT_EQ(symlink("/dev/zero", RepositoryFile().c_str()), 0);
  } else {
    ASSERT_EQ(symlink("voyanta.vyr", RepositoryFile().c_str()), 0);  // a link to itself
  }
  modals.Answer(framework::IDOK);
  bool ran = false;
  EXPECT_NE(Run([&] { ran = true; }), 0);
  EXPECT_FALSE(ran);
  Finish();

  ASSERT_EQ(modals.asked.size(), 1u);
  EXPECT_NE(modals.asked[0].text.find(RepositoryFile()), std::string::npos) << modals.asked[0].text;
  EXPECT_EQ(modals.asked[0].caption, "The Voyanta");
  if (kind == "fifo" || kind == "device") {
    EXPECT_NE(modals.asked[0].text.find(RepositoryFile() + " is not a regular file."), std::string::npos)
        << modals.asked[0].text;
  }
  struct stat info;
  ASSERT_EQ(lstat(RepositoryFile().c_str(), &info), 0);
  EXPECT_EQ(kind == "folder" ? S_ISDIR(info.st_mode) : kind == "fifo" ? S_ISFIFO(info.st_mode) : S_ISLNK(info.st_mode),
            true);
  EXPECT_EQ(TemporaryFiles(), Texts{});
  // The configuration is still saved.
  EXPECT_FALSE(SavedConfig().GetSubsection("Application").GetSubsection("OnceActions").GetBool("FirstRun", true));
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnusableRepositoryTest, testing::Values("folder", "loop", "fifo", "device"));

// A later start hands its trip to the running program (support::LaterStart plays it).
class HandOverTest : public ProgramTest {};

TEST_F(HandOverTest, TripWaitsForTheOpenDialogThenOpensAsFileOpenDoesAndTheWindowComesBack) {
  scratch::WriteFile(folder / "summer.vyt", "1\t3\tSocks\tClothes\t\n");
  ASSERT_TRUE(Start());
  Trip().SetModifiedFlag();
  Window().showMinimized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window().isMinimized(); }));
  {
    QDialog options(&Window());
    options.setWindowModality(Qt::ApplicationModal);
    options.show();
    EXPECT_EQ(support::LaterStart(RepositoryFile(), folder / "summer.vyt", SettingsFolder()).Finish(),
              framework::SingleInstance::handedOver);
    QTest::qWait(600);
    EXPECT_EQ(Trip().GetTitle(), "Unnamed");
    EXPECT_TRUE(modals.asked.empty());
    modals.Answer(framework::IDNO);
  }
  ASSERT_TRUE(QTest::qWaitFor([&] { return Trip().GetTitle() == "summer.vyt"; }));
  EXPECT_EQ(modals.Texts(), Texts{"Save changes to Unnamed?"});
  EXPECT_EQ(View().GetItemText(0, 0), "3");
  EXPECT_FALSE(Window().isMinimized());

  // Without a trip the window only comes back.
  Window().showMinimized();
  ASSERT_TRUE(QTest::qWaitFor([&] { return Window().isMinimized(); }));
  EXPECT_EQ(support::LaterStart(RepositoryFile(), "", SettingsFolder()).Finish(), framework::SingleInstance::handedOver);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !Window().isMinimized(); }));
  EXPECT_EQ(Trip().GetTitle(), "summer.vyt");
  EXPECT_EQ(modals.asked.size(), 1u);
}

class ExitTest : public ProgramTest {};

TEST_F(ExitTest, ItemsAddedDuringTheRunAreInTheRepositoryFileAlthoughTheTripWasNotSaved) {
  scratch::WriteFile(RepositoryFile(), "0\t\tSocks\tClothes\t\n");
  struct stat before;
  ASSERT_EQ(stat(RepositoryFile().c_str(), &before), 0);
  modals.Answer(framework::IDNO);
  const int status = Run([&] {
    AddItem(true, "1", "Passport", "Papers");
    AddItem(false, "", "Charger", "Electronics");
    Trip().SetModifiedFlag();
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(modals.Texts(), Texts{"Save changes to Unnamed?"});
  EXPECT_EQ(Lines(RepositoryFile()),
            (Texts{"0\t\tSocks\tClothes\t", "1\t1\tPassport\tPapers\t", "0\t\tCharger\tElectronics\t"}));
  // Written as a new file that took the old one's place, not by truncating the old one.
  struct stat after;
  ASSERT_EQ(stat(RepositoryFile().c_str(), &after), 0);
  EXPECT_NE(after.st_ino, before.st_ino);
  EXPECT_EQ(TemporaryFiles(), Texts{});
  Finish();
  EXPECT_FALSE(SavedConfig().GetSubsection("Application").GetSubsection("OnceActions").GetBool("FirstRun", true));
}

// The disk is "full" at the end of the run: files longer than the limit cannot be written.
// A small repository fits where the configuration does not, and a large one does not fit
// where the configuration does.
TEST_F(ExitTest, FileThatCannotBeWrittenIsLoggedWithItsReasonShownToTheUserAndEndsWith1) {
  struct Row {
    const char* what;
    int items;        // in the repository: 2 lines fit 64 bytes, 200 lines fit none of the limits
    rlim_t limit;     // the configuration takes some 300 bytes
    bool byUser;      // the window closed, or a termination signal ended the run
    bool repositoryFails;
    bool configurationFails;
    bool tripChanged;  // a checked item the user chose not to save: kept while the repository is not saved
  };
  const Row rows[] = {
      {"repository, closed by the user", 200, 1000, true, true, false, false},
      {"repository, closed by the user, trip not saved", 200, 1000, true, true, false, true},
      {"repository, ended by a signal", 200, 1000, false, true, false, false},
      {"configuration, closed by the user", 2, 64, true, false, true, false},
      {"configuration, closed by the user, trip not saved", 2, 64, true, false, true, true},
      {"both, closed by the user", 200, 64, true, true, true, false},
      {"both, ended by a signal", 200, 64, false, true, true, false},
  };
  const std::string failure = std::strerror(EFBIG);
  // Every item of a failed save is put into a rescue file, which is too large as well.
  const std::string notRescued = "\n\nThe items could not be kept in a rescue file either: " + failure;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string repository = "0\t\tSocks\tClothes\t\n";
    scratch::WriteFile(RepositoryFile(), repository);
    std::filesystem::remove_all(folder / "Quorvane");
    std::filesystem::create_directories(folder / "Quorvane/Voyanta");
    const std::string configuration = "<Previous>1</>\n";
    scratch::WriteFile(ConfigFile(), configuration);
    Texts boxes;
    if (row.tripChanged) {
      modals.Answer(framework::IDNO);
      boxes.push_back("Save changes to Unnamed?");
    }
    if (row.byUser && row.repositoryFails) {
      modals.Answer(framework::IDOK);
      boxes.push_back("Voyanta could not save its item repository " + RepositoryFile() + ".\n\n" + failure +
                      notRescued);
    }
    if (row.byUser && row.configurationFails) {
      modals.Answer(framework::IDOK);
      boxes.push_back("Voyanta could not save its settings in " + ConfigFile() + ".\n\n" + failure);
    }
    modals.asked.clear();
    program::CapturedLog log;
    support::FileSizeLimit full;
    const int status = Run([&] {
      for (int i = 1; i < row.items; ++i) AddItem(false, "", ("Item " + std::to_string(i)).c_str(), "Group");
      if (row.tripChanged) {
        AddItem(true, "1", "Passport", "Papers");
        Trip().SetModifiedFlag();
      }
      full.Impose(row.limit);
      if (!row.byUser) {
        raise(SIGTERM);
        EXPECT_TRUE(QTest::qWaitFor([&] { return !Window().isVisible(); }));
      }
    });
    full.Lift();
    Finish();

    EXPECT_EQ(status, 1);
    EXPECT_EQ(modals.Texts(), boxes);
    for (const auto& message : modals.asked) {
      if (message.text.find("Save changes") == std::string::npos) {
        EXPECT_EQ(message.caption, "The Voyanta");
      }
    }
    Texts errors;
    if (row.repositoryFails) {
      errors.push_back("Voyanta::DescribeNotSaved: The repository file " + RepositoryFile() + " could not be written: " +
                       failure);
      errors.push_back("Voyanta::DescribeNotSaved: The items of the repository file " + RepositoryFile() +
                       " could not be kept in a rescue file either: " + failure);
    }
    if (row.configurationFails) {
      errors.push_back("toolbox::Config::SaveFile: The configuration file " + ConfigFile() + " could not be saved: " +
                       ConfigFile() + ": " + failure);
    }
    EXPECT_EQ(log.Entries(toolbox::LogError), errors);
    // The file that failed is as it was; the other one was written all the same.
    EXPECT_EQ(scratch::ReadFile(RepositoryFile()) == repository, row.repositoryFails);
    EXPECT_EQ(scratch::ReadFile(ConfigFile()) == configuration, row.configurationFails);
    EXPECT_EQ(TemporaryFiles(), Texts{});
    // The next start offers the trip back with its check mark.
    const Texts kept = FilesEndingIn(folder / "Quorvane/Voyanta", ".trip");
    EXPECT_EQ(kept.size(), row.tripChanged && row.repositoryFails ? 1u : 0u);
    for (const std::string& trip : kept) EXPECT_EQ(trip, "\n1\t1\tPassport\tPapers\t\n");
  }
}

// The disk is full while the user works: each change's save behind the window fails and is
// logged, the old file stays whole, and the exit's save is tried all the same. The user hears
// of a failed save once, and of a trip that could not be kept once, each again only after it
// worked in between.
TEST_F(ExitTest, SavesBehindTheWindowThatFailAreToldOnceAndTheExitSaveIsTriedAllTheSame) {
  const std::string old = "0\t\tSocks\tClothes\t\n";
  scratch::WriteFile(RepositoryFile(), old);
  const std::string tooLarge = std::strerror(EFBIG);
  const std::string notSaved = "Voyanta could not save its item repository " + RepositoryFile() + ".\n\n" + tooLarge +
                               "\n\nThe items could not be kept in a rescue file either: " + tooLarge;
  const std::string notKept =
      "Voyanta could not keep a copy of the trip's unsaved changes, which would bring them back after a crash: " +
      tooLarge;
  const std::string retried = "\n\nVoyanta tries again at the next change, and when it ends.";
  struct Row {
    const char* item;  // checked, and the trip marked changed
    bool full;         // a limit that the trip of one item fits, and nothing larger
    Texts told;
  };
  const Row rows[] = {
      {"Passport", true, {notSaved + retried}},
      {"Ticket", true, {notKept + retried}},
      {"Visa", true, {}},
      {"Map", false, {}},
      {"Charger", true, {notSaved + "\n\n" + notKept + retried}},
  };
  // The three told while the user works, the question about the trip, the exit's two.
  for (const int answer : {framework::IDOK, framework::IDOK, framework::IDOK, framework::IDNO, framework::IDOK,
                           framework::IDOK}) {
    modals.Answer(answer);
  }
  program::CapturedLog log;
  const auto saveFailures = [&] {
    std::size_t count = 0;
    for (const std::string& entry : log.Entries(toolbox::LogError)) count += entry.find("could not be written") != entry.npos;
    return count;
  };
  support::FileSizeLimit full;
  Texts boxes;
  const int status = Run([&] {
    for (const Row& row : rows) {
      SCOPED_TRACE(row.item);
      const std::size_t before = saveFailures();
      const std::size_t asked = modals.asked.size();
      if (row.full) {
        full.Impose(old.size() + 8);
      } else {
        full.Lift();
      }
      AddItem(true, "1", row.item, "Papers");
      Trip().SetModifiedFlag();
      if (row.full) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return saveFailures() > before; }, 5000));
      } else {
        EXPECT_TRUE(QTest::qWaitFor([&] { return scratch::ReadFile(RepositoryFile()).find(row.item) != std::string::npos; }, 5000));
        EXPECT_TRUE(QTest::qWaitFor([&] { return FilesEndingIn(folder / "Quorvane/Voyanta", ".trip").size() == 1; }, 5000));
      }
      QTest::qWait(100);  // for a message the save behind the window tells
      const Texts texts = modals.Texts();
      EXPECT_EQ(Texts(texts.begin() + static_cast<long>(asked), texts.end()), row.told);
    }
  });
  full.Lift();
  EXPECT_EQ(status, 1);
  const Texts texts = modals.Texts();
  EXPECT_EQ(Texts(texts.end() - 3, texts.end()),
            (Texts{"Save changes to Unnamed?", notSaved,
                   "Voyanta could not save its settings in " + ConfigFile() + ".\n\n" + tooLarge}));
  EXPECT_EQ(saveFailures(), 5u);
  EXPECT_NE(scratch::ReadFile(RepositoryFile()).find("Map"), std::string::npos);
  EXPECT_EQ(TemporaryFiles(), Texts{});
}

// A trip saved under a name is no longer kept as unsaved at once, not only by the next save
// behind the window: a kill right after the save would bring it back unnamed.
TEST_F(ExitTest, ATripSavedIsNoLongerKeptAtOnce) {
  EXPECT_EQ(Run([&] {
              AddItem(true, "2", "Passport", "Papers");
              Trip().SetModifiedFlag();
              ASSERT_TRUE(QTest::qWaitFor([&] { return !FilesEndingIn(folder / "Quorvane/Voyanta", ".trip").empty(); }, 5000));
              ASSERT_TRUE(Trip().DoSave((folder / "alps.vyt").c_str()));
              EXPECT_EQ(FilesEndingIn(folder / "Quorvane/Voyanta", ".trip"), Texts{});
            }),
            0);
  Finish();
  EXPECT_EQ(Lines(folder / "alps.vyt"), Texts{"1\t2\tPassport\tPapers\t"});
  EXPECT_EQ(FilesEndingIn(folder / "Quorvane/Voyanta", ".trip"), Texts{});
}

// Something put in a file's place while the program runs is named for what it is.
// A run ended by a signal keeps its unsaved trip; a signal that closes the next start's
// question about it leaves it unanswered, so the trip is kept for the start after.
TEST_F(ExitTest, TripKeptAtASignalWaitsWhileASignalClosesTheQuestionAboutIt) {
  const auto kept = [&] { return FilesEndingIn(folder / "Quorvane/Voyanta", ".trip"); };
  EXPECT_EQ(Run([&] {
              AddItem(true, "2", "Passport", "Papers");
              Trip().SetModifiedFlag();
              raise(SIGTERM);
              EXPECT_TRUE(QTest::qWaitFor([&] { return !Window().isVisible(); }));
            }),
            0);
  Finish();
  ASSERT_EQ(kept(), Texts{"\n1\t2\tPassport\tPapers\t\n"});

  Texts asked;
  framework::SetModalHook([&](const framework::ModalRequest& request) {
    asked.push_back(request.text);
    app->OnTerminationSignal();
    return framework::ModalAnswer{framework::IDNO, {}};  // as a closed question answers
  });
  EXPECT_EQ(Run([] {}), 0);
  Finish();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_NE(asked[0].find("Bring the trip back as it was?"), std::string::npos) << asked[0];
  EXPECT_EQ(kept(), Texts{"\n1\t2\tPassport\tPapers\t\n"});
}

TEST_F(ExitTest, WhatStandsInAFilesPlaceAtTheEndIsNamedInTheMessage) {
  struct Row {
    const char* what;
    std::string path;
    std::function<void(const std::string& path)> make;
    std::string box;
  };
  const Row rows[] = {
      {"a FIFO for the repository", RepositoryFile(), [](const std::string& path) { mkfifo(path.c_str(), 0600); },
       "Voyanta could not save its item repository " + RepositoryFile() + ".\n\nNot a regular file\n\nEvery item is kept in "},
      {"a folder for the settings", ConfigFile(),
       [](const std::string& path) { std::filesystem::create_directory(path); },
       "Voyanta could not save its settings in " + ConfigFile() + ".\n\nIs a directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    scratch::WriteFile(RepositoryFile(), "0\t\tSocks\tClothes\t\n");
    modals.Answer(framework::IDOK);
    modals.asked.clear();
    EXPECT_EQ(Run([&] {
                std::filesystem::remove(row.path);
                row.make(row.path);
              }),
              1);
    Finish();
    // The repository's items went into a rescue file, which the message names.
    std::string box = row.box;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "Quorvane/Voyanta")) {
      if (entry.path().extension() == ".rescue") {
        box += entry.path().string() + ", from where Voyanta takes them when it starts again.";
      }
    }
    EXPECT_EQ(modals.Texts(), Texts{box});
    std::filesystem::remove_all(row.path);
  }
}

}  // namespace
