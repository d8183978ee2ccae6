#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "TestFolder.h"
#include "background/BGprofile.h"
#include "support/Errors.h"

namespace fs = std::filesystem;

namespace {

// A data folder whose path is all lower case, as the library lists paths.
class PictureLibrary : public ::testing::Test {
protected:
    PictureLibrary() : root(fs::temp_directory_path() / ("memorail-library-" + std::to_string(::getpid()))) {
        fs::remove_all(root);
        fs::create_directories(root / "data");
        fs::create_directories(root / "photos");
        library.SetDataFolderPath((root / "data").string() + "/");
    }
    ~PictureLibrary() override { fs::remove_all(root); }

    std::string Data(const std::string& name) const { return (root / "data" / name).string(); }
    std::string Photos(const std::string& name) const { return (root / "photos" / name).string(); }
    std::vector<std::string> Listed() const { return library.Pictures(); }

    fs::path root;
    TColorsList colors;
    TBGprofile library{colors};
};

TEST_F(PictureLibrary, ListFileIsSortedBehindTheDefaultEntryWithoutBlankLines) {
    WriteBytes(Data("picture.lst"), Photos("b.jpg") + "\r\n\r\n   \r\n" + Photos("a.jpg") + "\r\n");
    library.LoadPictureList();
    EXPECT_EQ(Listed(), (std::vector<std::string>{library.DefaultEntry(), Photos("a.jpg"), Photos("b.jpg")}));
    EXPECT_EQ(library.CurrentIndex(), 0);
}

TEST_F(PictureLibrary, ListFileWithAUtf8MarkInFront) {
    WriteBytes(Data("picture.lst"), "\xEF\xBB\xBF" + Photos("a.jpg") + "\r\n");
    library.LoadPictureList();
    EXPECT_EQ(Listed(), (std::vector<std::string>{library.DefaultEntry(), Photos("a.jpg")}));
}

// Saved as UTF-8 by an editor: its paths are read, and a picture added later is not listed in
// Shift-JIS behind UTF-8 lines.
TEST_F(PictureLibrary, AUtf8ListGivesItsPathsAndStaysOneEncoding) {
    const std::u8string name = u8"写真.jpg";
    WriteBytes(Data("picture.lst"), Photos(std::string(name.begin(), name.end())) + "\r\n");
    library.LoadPictureList();
    EXPECT_EQ(Listed(), (std::vector<std::string>{library.DefaultEntry(), Photos("写真.jpg")}));
    WriteBytes(Photos("b.jpx"), "jpx");  // listed on disk at once
    library.RegisterPicture(Photos("b.jpx"));
    EXPECT_EQ(ReadBytes(Data("picture.lst")), Photos("写真.jpg") + "\r\n" + Data("picture/b.jpx") + "\r\n");
}

TEST_F(PictureLibrary, JpegIsListedInPlaceAndItsSettingsMoveIn) {
    library.LoadPictureList();
    WriteBytes(Photos("Sea.jpg"), "jpeg");
    WriteBytes(Photos("Sea.ini"), "[PICTURE]\r\nzoom=50\r\n");
    WriteBytes(Photos("sea.txt"), "");
    library.RegisterPicture(Photos("Sea.jpg"));
    library.RegisterPicture(Photos("Sea.jpg"));  // twice: listed once
    library.RegisterPicture(Photos("sea.txt"));  // not a picture: nothing changes

    EXPECT_EQ(Listed(), (std::vector<std::string>{library.DefaultEntry(), Photos("sea.jpg")}));
    EXPECT_EQ(library.CurrentPicture(), Photos("sea.jpg"));
    EXPECT_TRUE(fs::exists(Photos("Sea.jpg")));
    EXPECT_FALSE(fs::exists(Photos("Sea.ini")));
    EXPECT_EQ(library.FileName(), Data("picture/sea.ini"));
    EXPECT_EQ(library.Read(keys::PictureZoom), 50);
    EXPECT_EQ(colors.FileName(), Data("picture/sea.clr"));
}

TEST_F(PictureLibrary, JpxMovesIntoThePictureFolderAndNameClashesKeepBoth) {
    library.LoadPictureList();
    fs::create_directories(root / "other");
    WriteBytes(Photos("x.jpx"), "first");
    library.RegisterPicture(Photos("x.jpx"));
    EXPECT_FALSE(fs::exists(Photos("x.jpx")));
    EXPECT_EQ(ReadBytes(Data("picture/x.jpx")), "first");

    WriteBytes((root / "other" / "x.jpx").string(), "second");  // another picture of that name
    WriteBytes((root / "other" / "x.clr").string(), "<a>1</a>");
    library.RegisterPicture((root / "other" / "x.jpx").string());
    EXPECT_EQ(ReadBytes(Data("picture/x.jpx")), "first");
    EXPECT_EQ(ReadBytes(Data("picture/x-2.jpx")), "second");
    EXPECT_TRUE(fs::exists(Data("picture/x-2.clr")));
    EXPECT_FALSE(fs::exists(Data("picture/x.clr")));

    WriteBytes(Photos("x.jpx"), "first");  // the same picture again: it simply replaces
    library.RegisterPicture(Photos("x.jpx"));
    EXPECT_FALSE(fs::exists(Data("picture/x-3.jpx")));
    EXPECT_EQ(Listed(),
              (std::vector<std::string>{library.DefaultEntry(), Data("picture/x.jpx"), Data("picture/x-2.jpx")}));

    library.RegisterPicture(Data("picture/x.jpx"));  // dropped from the picture folder itself
    EXPECT_EQ(ReadBytes(Data("picture/x.jpx")), "first");
    EXPECT_TRUE(fs::exists(Data("picture/x-2.clr")));
}

TEST_F(PictureLibrary, DataFolderFilesAreNeverTakenAsCompanions) {
    WriteBytes(Data("default.ini"), "[PICTURE]\r\nzoom=70\r\n");
    WriteBytes(Data("default.jpg"), "jpeg");
    library.LoadPictureList();
    library.RegisterPicture(Data("default.jpg"));
    EXPECT_TRUE(fs::exists(Data("default.ini")));
    EXPECT_FALSE(fs::exists(Data("picture/default.ini")));
}

TEST_F(PictureLibrary, PictureWithoutSettingsShowsTheDefaultsAndSavesItsOwn) {
    WriteBytes(Data("default.ini"), "[PICTURE]\r\nvalign=1\r\n");
    WriteBytes(Data("default.clr"), "<ウィンドウ><背景>$00FF00</背景></ウィンドウ>");
    WriteBytes(Data("picture.lst"), Photos("a.jpg") + "\r\n");
    library.LoadPictureList();
    library.SelectPicture(Photos("A.JPG"));
    EXPECT_EQ(library.CurrentIndex(), 1);
    EXPECT_EQ(library.Read(keys::PictureVAlign), 1);
    EXPECT_EQ(colors.GetColor(kColorWindowBackground), 0x00FF00);
    library.Write(keys::PictureZoom, 80);
    library.Save();
    EXPECT_NE(ReadBytes(Data("picture/a.ini")).find("zoom=80"), std::string::npos);
    EXPECT_EQ(ReadBytes(Data("default.ini")), "[PICTURE]\r\nvalign=1\r\n");

    library.SelectPicture(Photos("gone.jpg"));  // not listed: the default picture
    EXPECT_EQ(library.CurrentIndex(), 0);
    EXPECT_EQ(library.FileName(), Data("default.ini"));
}

TEST_F(PictureLibrary, SavedListHoldsOnlyRegisteredPicturesAndAFailedSaveKeepsTheList) {
    WriteBytes(Data("picture.lst"), Photos("b.jpg") + "\r\n" + Photos("a.jpg") + "\r\n");
    library.LoadPictureList();
    library.SavePictureList();
    EXPECT_EQ(ReadBytes(Data("picture.lst")), Photos("a.jpg") + "\r\n" + Photos("b.jpg") + "\r\n");

    fs::remove(Data("picture.lst"));
    fs::create_directories(Data("picture.lst"));  // in the way: the save fails
    const std::vector<std::string> before = Listed();
    EXPECT_THROW(library.SavePictureList(), EFileError);
    EXPECT_THROW(library.DeletePicture(1), EFileError);
    EXPECT_EQ(Listed(), before);
}

// An editor may save the list as UTF-16: neither a registration nor a save writes Shift-JIS
// into it or over it; both say the file is not Shift-JIS.
TEST_F(PictureLibrary, AUtf16ListIsReportedAndLeftAsItIs) {
    const std::string utf16("\xFF\xFE" "c\0:\0\\\0a\0.\0j\0p\0g\0\r\0\n\0", 22);
    WriteBytes(Data("picture.lst"), utf16);
    WriteBytes(Photos("x.jpx"), "jpx");
    EXPECT_THROW(library.LoadPictureList(), EFileError);
    EXPECT_EQ(Listed(), std::vector<std::string>{library.DefaultEntry()});
    EXPECT_EQ(library.CurrentPicture(), library.DefaultEntry());
    EXPECT_THROW(library.RegisterPicture(Photos("x.jpx")), EFileError);
    EXPECT_TRUE(fs::exists(Photos("x.jpx")));  // not moved away unlisted
    EXPECT_THROW(library.SavePictureList(), EFileError);
    EXPECT_EQ(ReadBytes(Data("picture.lst")), utf16);
}

TEST_F(PictureLibrary, DeletingRemovesTheEntryAndTheLibrarysOwnFiles) {
    library.LoadPictureList();
    WriteBytes(Photos("y.jpx"), "jpx");
    WriteBytes(Photos("y.ini"), "[PICTURE]\r\n");
    library.RegisterPicture(Photos("y.jpx"));
    EXPECT_FALSE(library.DeletePicture(0));
    EXPECT_TRUE(library.DeletePicture(1));
    EXPECT_EQ(Listed(), std::vector<std::string>{library.DefaultEntry()});
    EXPECT_FALSE(fs::exists(Data("picture/y.jpx")));
    EXPECT_FALSE(fs::exists(Data("picture/y.ini")));
    EXPECT_EQ(library.FileName(), "");
    EXPECT_EQ(ReadBytes(Data("picture.lst")), "");
}

TEST_F(PictureLibrary, DeletingOnePictureLeavesAnotherOfTheSameName) {
    library.LoadPictureList();
    WriteBytes(Photos("sun.jpx"), "jpx");
    WriteBytes(Photos("sun.jpg"), "jpeg");
    library.RegisterPicture(Photos("sun.jpx"));  // its only copy now lives in picture/
    library.RegisterPicture(Photos("sun.jpg"));
    WriteBytes(Data("picture/sun.ini"), "[PICTURE]\r\n");
    WriteBytes(Data("picture/sun.clr"), "");
    ASSERT_EQ(Listed(), (std::vector<std::string>{library.DefaultEntry(), Data("picture/sun.jpx"), Photos("sun.jpg")}));

    EXPECT_TRUE(library.DeletePicture(2));  // the .jpg: the .jpx and the shared settings stay
    EXPECT_EQ(ReadBytes(Data("picture/sun.jpx")), "jpx");
    EXPECT_TRUE(fs::exists(Data("picture/sun.ini")) && fs::exists(Data("picture/sun.clr")));
    EXPECT_TRUE(fs::exists(Photos("sun.jpg")));
    EXPECT_TRUE(library.DeletePicture(1));  // the last of the name: all its files go
    EXPECT_FALSE(fs::exists(Data("picture/sun.jpx")) || fs::exists(Data("picture/sun.ini")) ||
                 fs::exists(Data("picture/sun.clr")));
}

TEST_F(PictureLibrary, RandomChoiceNeverDrawsTheDefaultEntry) {
    library.LoadPictureList();
    EXPECT_FALSE(library.SelectRandomPicture());
    EXPECT_EQ(library.RandomIndex(), 0);
    WriteBytes(Data("picture.lst"), Photos("a.jpg") + "\r\n" + Photos("b.jpg") + "\r\n");
    library.LoadPictureList();
    std::set<int> drawn;
    for (int i = 0; i < 200; ++i) drawn.insert(library.RandomIndex());
    EXPECT_EQ(drawn, (std::set<int>{1, 2}));
}

}  // namespace

TEST_F(PictureLibrary, ManyFilesAtOnceEndAsOneByOne) {
    library.LoadPictureList();
    for (const char* name : {"A.jpg", "b.png", "c.jpx", "note.txt"}) WriteBytes(Photos(name), name);
    WriteBytes(Photos("b.ini"), "[PICTURE]\r\nzoom=40\r\n");
    std::vector<std::size_t> shown;
    library.RegisterPictures({Photos("A.jpg"), Photos("note.txt"), Photos("c.jpx"), Photos("b.png"), Photos("a.jpg")},
                             [&shown](std::size_t i) { shown.push_back(i); });
    EXPECT_EQ(shown, (std::vector<std::size_t>{0, 1, 2, 3, 4}));
    EXPECT_EQ(Listed(), (std::vector<std::string>{library.DefaultEntry(), Photos("a.jpg"), Data("picture/c.jpx"),
                                                  Photos("b.png")}));
    EXPECT_EQ(library.CurrentPicture(), Photos("a.jpg"));  // the last picture, listed once
    EXPECT_EQ(library.FileName(), Data("picture/a.ini"));
}

// A registration cut short anywhere leaves each .jpx where it was or moved and in picture.lst
// on disk: each is listed before it moves, and a list that cannot be written moves nothing.
TEST_F(PictureLibrary, EachJpxIsListedOnDiskBeforeItMoves) {
    WriteBytes(Data("picture.lst"), Photos("old.jpg"));  // by hand, without its last line break
    library.LoadPictureList();
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i) {
        paths.push_back(Photos("p" + std::to_string(i) + ".jpx"));
        WriteBytes(paths.back(), "jpx" + std::to_string(i));
    }
    auto everyPictureKept = [&] {
        const std::string listed = ReadBytes(Data("picture.lst"));
        int kept = 0;
        for (std::size_t j = 0; j < paths.size(); ++j) {
            const std::string moved = Data("picture/p" + std::to_string(j) + ".jpx");
            kept += fs::exists(paths[j]) || (fs::exists(moved) && listed.find(moved + "\r\n") != std::string::npos);
        }
        return kept == 4 && listed.rfind(Photos("old.jpg"), 0) == 0;
    };
    int checked = 0;
    library.RegisterPictures(paths, [&](std::size_t) { checked += everyPictureKept(); });
    EXPECT_EQ(checked, 4);
    EXPECT_TRUE(everyPictureKept());
    const std::string listed = ReadBytes(Data("picture.lst"));
    EXPECT_EQ(std::count(listed.begin(), listed.end(), '\n'), 5);
    EXPECT_EQ(listed.rfind(Photos("old.jpg") + "\r\n", 0), 0u);

    WriteBytes(Photos("q.jpx"), "q");
    fs::remove(Data("picture.lst"));
    fs::create_directories(Data("picture.lst"));  // in the way
    EXPECT_THROW(library.RegisterPicture(Photos("q.jpx")), EFileError);
    EXPECT_EQ(ReadBytes(Photos("q.jpx")), "q");
}

// A name listed before a kill whose picture had not moved yet is taken up by the next start.
TEST_F(PictureLibrary, AListedJpxThatHasNotMovedYetIsTakenUpOnce) {
    WriteBytes(Data("picture.lst"), Data("picture/x.jpx") + "\r\n");
    library.LoadPictureList();
    WriteBytes(Photos("x.jpx"), "x");
    library.RegisterPictures({Photos("x.jpx")}, nullptr, true);
    EXPECT_EQ(ReadBytes(Data("picture/x.jpx")), "x");
    EXPECT_EQ(ReadBytes(Data("picture.lst")), Data("picture/x.jpx") + "\r\n");
    EXPECT_EQ(Listed().size(), 2u);
}

// What stays in AddPicture is met at every start: a picture listed before is not made current
// again there, a new one is; a drop shows what was dropped.
TEST_F(PictureLibrary, OnlyANewlyListedPictureBecomesCurrentWhenAsked) {
    WriteBytes(Data("picture.lst"), Photos("a.jpg") + "\r\n" + Photos("b.jpg") + "\r\n");
    library.LoadPictureList();
    library.SelectPicture(Photos("b.jpg"));
    library.RegisterPictures({Photos("b.jpg"), Photos("a.jpg")}, nullptr, true);
    EXPECT_EQ(library.CurrentPicture(), Photos("b.jpg"));
    library.RegisterPictures({Photos("c.jpg"), Photos("a.jpg")}, nullptr, true);
    EXPECT_EQ(library.CurrentPicture(), Photos("c.jpg"));
    library.RegisterPictures({Photos("a.jpg")}, nullptr);
    EXPECT_EQ(library.CurrentPicture(), Photos("a.jpg"));
}

// A placement outside 0 ... 3 in a settings file written by hand is rendered where the window
// puts it, at the top or left: a byte of it must not read as fitted, centred or at the bottom.
TEST_F(PictureLibrary, PlacementsOutOfRangeAreRenderedAtTheTopOrLeft) {
    const std::pair<int, int> cases[] = {{0, 0},   {2, 2},  {3, 3},    {256, 1}, {258, 1},
                                         {259, 1}, {-1, 1}, {-254, 1}, {7, 1}};
    for (const auto& [stored, rendered] : cases) {
        WriteBytes(Data("default.ini"),
                   "[PICTURE]\r\nvalign=" + std::to_string(stored) + "\r\nhalign=" + std::to_string(stored) + "\r\n");
        library.LoadPictureList();
        const TRenderSnapshot s = library.MakeSnapshot(400, 300);
        EXPECT_EQ(s.VAlign, rendered) << stored;
        EXPECT_EQ(s.HAlign, rendered) << stored;
    }
}

// A zoom the options do not offer is rendered at their nearest end, which they show: at 0 no
// picture was drawn while the options said 1%.
TEST_F(PictureLibrary, AZoomOutsideTheOptionsRangeIsRenderedAtItsNearestEnd) {
    for (const auto& [stored, rendered] :
         {std::pair{0, 1}, std::pair{-40, 1}, std::pair{100000, 500}, std::pair{250, 250}}) {
        WriteBytes(Data("default.ini"), "[PICTURE]\r\nzoom=" + std::to_string(stored) + "\r\n");
        library.LoadPictureList();
        EXPECT_EQ(library.MakeSnapshot(400, 300).Zoom, rendered) << stored;
        // The same part of a window at twice the scale: the range is the options', at 96 dpi.
        EXPECT_EQ(library.MakeSnapshot(800, 600, 192).Zoom, 2 * rendered) << stored;
    }
}

// The name a clashing .jpx is given is one no listed picture has: it would take over that
// picture's settings and scheme, and its companions would be moved over them.
TEST_F(PictureLibrary, AClashingJpxIsNotGivenTheNameOfAnotherListedPicture) {
    library.LoadPictureList();
    fs::create_directories(root / "other");
    WriteBytes(Photos("x-2.jpg"), "jpeg");
    WriteBytes(Photos("x-2.ini"), "[PICTURE]\r\nzoom=30\r\n");
    WriteBytes(Photos("x.jpx"), "first");
    library.RegisterPictures({Photos("x-2.jpg"), Photos("x.jpx")}, nullptr);
    WriteBytes((root / "other" / "x.jpx").string(), "second");
    WriteBytes((root / "other" / "x.ini").string(), "[PICTURE]\r\nzoom=80\r\n");
    library.RegisterPicture((root / "other" / "x.jpx").string());

    EXPECT_EQ(ReadBytes(Data("picture/x-2.ini")), "[PICTURE]\r\nzoom=30\r\n");
    EXPECT_EQ(ReadBytes(Data("picture/x-3.jpx")), "second");
    EXPECT_EQ(ReadBytes(Data("picture/x-3.ini")), "[PICTURE]\r\nzoom=80\r\n");
    EXPECT_EQ(library.CurrentPicture(), Data("picture/x-3.jpx"));
}

// A list edited by hand may name a picture twice: deleting one entry leaves the .jpx that the
// other still names, its only copy.
TEST_F(PictureLibrary, DeletingOneOfTwoEntriesOfAJpxKeepsIt) {
    fs::create_directories(root / "data" / "picture");
    WriteBytes(Data("picture/x.jpx"), "jpx");
    WriteBytes(Data("picture.lst"), Data("picture/x.jpx") + "\r\n" + Data("picture/x.jpx") + "\r\n");
    library.LoadPictureList();
    ASSERT_TRUE(library.DeletePicture(1));
    EXPECT_EQ(ReadBytes(Data("picture/x.jpx")), "jpx");
    ASSERT_TRUE(library.DeletePicture(1));
    EXPECT_FALSE(fs::exists(Data("picture/x.jpx")));
}

// The main settings are named after the program, which may have been renamed: a picture of that
// name in the data folder does not take them away as its own.
TEST_F(PictureLibrary, TheMainSettingsOfARenamedProgramAreNoCompanion) {
    const std::string before = MainSettings.FileName();
    MainSettings.SetFileName(Data("mytodo.ini"));
    WriteBytes(Data("mytodo.ini"), "[OPTION]\r\nshadow=1\r\n");
    WriteBytes(Data("mytodo.jpg"), "jpeg");
    library.LoadPictureList();
    library.RegisterPicture(Data("mytodo.jpg"));
    MainSettings.SetFileName(before);
    EXPECT_EQ(ReadBytes(Data("mytodo.ini")), "[OPTION]\r\nshadow=1\r\n");
    EXPECT_FALSE(fs::exists(Data("picture/mytodo.ini")));
}

// A list that could not be read at start (held by another program) is not written over by the
// next save with only what was registered since: the entries it holds stay listed.
TEST_F(PictureLibrary, AListUnreadAtStartKeepsItsEntriesWhenSavedLater) {
    fs::create_directories(Data("picture.lst"));  // reading fails
    EXPECT_THROW(library.LoadPictureList(), EFileError);
    fs::remove(Data("picture.lst"));
    WriteBytes(Data("picture.lst"), Photos("a.jpg") + "\r\n" + Photos("b.jpg") + "\r\n");
    WriteBytes(Photos("c.jpg"), "jpeg");
    library.RegisterPicture(Photos("c.jpg"));
    library.SavePictureList();
    EXPECT_EQ(ReadBytes(Data("picture.lst")),
              Photos("c.jpg") + "\r\n" + Photos("a.jpg") + "\r\n" + Photos("b.jpg") + "\r\n");
    EXPECT_EQ(library.IndexOfPicture(Photos("a.jpg")), 2);
}
