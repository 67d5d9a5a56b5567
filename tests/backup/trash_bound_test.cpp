// The desktop's trash does not fill the disk: the program's old backups in
// it stay within a tenth of the file system that holds it, oldest gone
// first, and nothing else in the trash is touched. On a small tmpfs of the
// test's own (mounting needs root; the tests skip where it is refused).

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <map>
#include <optional>

#include "fakes/file_bytes.h"
#include "fakes/temp_folder.h"
#include "platform/posix/freedesktop_trash.h"
#include "road_schedule.h"

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kKiB = 1024;

// A tmpfs of the given size, mounted on a folder of the test's own.
class SmallFileSystem final {
public:
    explicit SmallFileSystem(const std::string& size)
    {
        const std::string options = "size=" + size + ",mode=0755";
        if (::mount("tmpfs", m_folder.path().c_str(), "tmpfs", 0, options.c_str()) == 0)
            m_mounted = true;
        else
            m_problem = std::strerror(errno);
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(m_folder.path().c_str(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return m_mounted; }
    const std::string& problem() const { return m_problem; }
    const fs::path& path() const { return m_folder.path(); }
    std::uint64_t tenth() const
    {
        struct statvfs st {};
        ::statvfs(m_folder.path().c_str(), &st);
        return static_cast<std::uint64_t>(st.f_blocks) * st.f_frsize / 10;
    }

private:
    TempFolder m_folder;
    bool m_mounted = false;
    std::string m_problem;
};

// A file of that size, every byte the mark.
void makeFile(const fs::path& path, std::uint64_t bytes, char mark = 'x')
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    const std::string block(4096, mark);
    for (std::uint64_t written = 0; written < bytes; written += block.size())
        out.write(block.data(), static_cast<std::streamsize>(std::min<std::uint64_t>(block.size(), bytes - written)));
}

// Puts an item into a trash as another program (or an earlier run) would
// have; a name ending in "/" is a folder.
void trashedByOthers(const fs::path& trash, std::string name, const std::string& recordedPath,
                     const std::string& deletionDate, std::uint64_t bytes)
{
    if (name.back() == '/') {
        name.pop_back();
        makeFile(trash / "files" / name / "inside", bytes);
    } else {
        makeFile(trash / "files" / name, bytes);
    }
    fs::create_directories(trash / "info");
    std::ofstream(trash / "info" / (name + ".trashinfo"))
        << "[Trash Info]\nPath=" << recordedPath << "\nDeletionDate=" << deletionDate << "\n";
}

std::map<std::string, std::string> recordedPaths(const fs::path& trash)
{
    std::map<std::string, std::string> paths;
    if (!fs::exists(trash / "info"))
        return paths;
    for (const auto& entry : fs::directory_iterator(trash / "info")) {
        std::ifstream in(entry.path());
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("Path=", 0) == 0)
                paths[entry.path().stem().string()] = line.substr(5);
        }
    }
    return paths;
}

std::uint64_t usage(const fs::path& trash, const std::vector<std::string>& names)
{
    std::uint64_t bytes = 0;
    for (const std::string& name : names)
        bytes += FreedesktopTrash::diskUsage((trash / "files" / name).string());
    return bytes;
}

#define SKIP_WITHOUT(fileSystem)                                                                                       \
    if (!(fileSystem).mounted())                                                                                       \
    GTEST_SKIP() << "cannot mount a tmpfs here (" << (fileSystem).problem() << "); the bound is tested where root may"

// Items on another file system than the home folder go to $topdir/.Trash-$uid.
class TrashBound : public ::testing::Test {
protected:
    TrashBound() : disk("10m")
    {
        places.home = home.path().string();
        places.dataHome = (home.path() / "data").string();
        places.uid = static_cast<std::uint32_t>(::getuid());
        folder = (disk.path() / "bak").string() + "/";
        trash = disk.path() / (".Trash-" + std::to_string(::getuid()));
    }

    // One trash object for the whole test, as the program keeps one: what it
    // remembers from one move carries to the next.
    bool trashItem(const std::string& path)
    {
        if (!kept)
            kept.emplace(places);
        kept->setPlaces(places);
        return kept->moveIn(path, FreedesktopTrash::backupsNamedWith(folder));
    }
    // Another Ondrel, or an earlier start of this one: it knows nothing yet.
    bool trashItemAsAnotherOndrel(const std::string& path)
    {
        return FreedesktopTrash(places).moveIn(path, FreedesktopTrash::backupsNamedWith(folder));
    }
    // The first byte of each trashed item recorded with that path, in name order.
    std::string marksOf(const std::string& recordedPath) const
    {
        std::string marks;
        for (const auto& [name, path] : recordedPaths(trash)) {
            if (path == recordedPath)
                marks += readBytes(trash / "files" / name).substr(0, 1);
        }
        std::sort(marks.begin(), marks.end());
        return marks;
    }
    std::vector<std::string> inTrash() const
    {
        std::vector<std::string> names;
        if (fs::exists(trash / "files")) {
            for (const auto& entry : fs::directory_iterator(trash / "files"))
                names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    TempFolder home;
    SmallFileSystem disk;
    FreedesktopTrash::Places places;
    std::string folder;
    fs::path trash;
    std::optional<FreedesktopTrash> kept;
};

TEST_F(TrashBound, oursStayWithinATenthOldestFirstAndOthersStay)
{
    SKIP_WITHOUT(disk);
    const std::uint64_t cap = disk.tenth();
    ASSERT_EQ(cap, 1024 * kKiB);
    // Other programs' items, larger than the bound together, and names that
    // look like ours but are not: not directly in the folder, not .bak, a
    // folder of another name, another folder with the same prefix.
    const std::string top = disk.path().string();
    trashedByOthers(trash, "photo.jpg", "pictures/photo.jpg", "2020-01-01T00:00:00", 700 * kKiB);
    trashedByOthers(trash, "film.mkv", "/srv/film.mkv", "2020-01-02T00:00:00", 900 * kKiB);
    trashedByOthers(trash, "x.bak", "bak/sub/x.bak", "2020-01-03T00:00:00", 100 * kKiB);
    trashedByOthers(trash, "notes.txt", "bak/notes.txt", "2020-01-04T00:00:00", 100 * kKiB);
    trashedByOthers(trash, "bak2.bak", "bak2/sales.bak", "2020-01-05T00:00:00", 100 * kKiB);
    trashedByOthers(trash, "old/", "bak/old", "2020-01-06T00:00:00", 100 * kKiB);
    // Ours from an earlier day, recorded out of name order.
    trashedByOthers(trash, "crm.bak", top + "/bak/crm.bak", "2026-12-01T03:00:00", 200 * kKiB);
    trashedByOthers(trash, "2026年12月01日03时/", "bak/2026%E5%B9%B412%E6%9C%8801%E6%97%A503%E6%97%B6",
                    "2026-11-30T03:00:00", 200 * kKiB);
    const std::vector<std::string> others = {"bak2.bak", "film.mkv", "notes.txt", "old", "photo.jpg", "x.bak"};

    // Four slots of a 300 KiB backup: each fits once the oldest of ours go.
    for (int slot = 0; slot < 4; ++slot) {
        makeFile(folder + "sales.bak", 300 * kKiB, static_cast<char>('a' + slot));
        ASSERT_TRUE(trashItem(folder + "sales.bak")) << "slot " << slot;
        EXPECT_FALSE(fs::exists(folder + "sales.bak"));
        std::vector<std::string> ours;
        for (const std::string& name : inTrash()) {
            if (std::find(others.begin(), others.end(), name) == others.end())
                ours.push_back(name);
        }
        EXPECT_LE(usage(trash, ours), cap) << "slot " << slot;
    }
    const std::vector<std::string> left = inTrash();
    for (const std::string& other : others)
        EXPECT_NE(std::find(left.begin(), left.end(), other), left.end()) << other << " was removed";
    // The dated folder went first, then crm.bak, then the first sales.bak:
    // the last three slots' backups are left.
    EXPECT_EQ(std::count(left.begin(), left.end(), "2026年12月01日03时"), 0);
    EXPECT_EQ(std::count(left.begin(), left.end(), "crm.bak"), 0);
    ASSERT_EQ(left.size(), others.size() + 3);
    // Every item has its info, recorded relative to the file system's top.
    const auto recorded = recordedPaths(trash);
    EXPECT_EQ(recorded.size(), left.size());
    std::string marks;
    for (const auto& [name, path] : recorded) {
        if (path == "bak/sales.bak")
            marks += readBytes(trash / "files" / name).substr(0, 1);
    }
    std::sort(marks.begin(), marks.end());
    EXPECT_EQ(marks, "bcd");
}

TEST_F(TrashBound, aDatedFolderIsOursAndItsNameSurvivesTheInfoFile)
{
    SKIP_WITHOUT(disk);
    const std::string dated = folder + "2026年12月06日03时";
    for (int slot = 0; slot < 5; ++slot) {
        makeFile(dated + "/sales.bak", 250 * kKiB, static_cast<char>('a' + slot));
        makeFile(dated + "/crm.bak", 100 * kKiB);
        ASSERT_TRUE(trashItem(dated)) << slot;
    }
    ASSERT_EQ(inTrash().size(), 2u) << "two folders of 350 KiB fit in 1 MiB, three do not";
    std::string marks;
    for (const auto& [name, path] : recordedPaths(trash)) {
        EXPECT_EQ(path, "bak/2026%E5%B9%B412%E6%9C%8806%E6%97%A503%E6%97%B6");
        marks += readBytes(trash / "files" / name / "sales.bak").substr(0, 1);
    }
    std::sort(marks.begin(), marks.end());
    EXPECT_EQ(marks, "de");
}

// An old backup larger than the bound is never trashed: the caller keeps it
// beside the new one until that is written, as where no trash exists.
TEST_F(TrashBound, anItemLargerThanTheBoundIsRefusedAndLeftInPlace)
{
    SKIP_WITHOUT(disk);
    trashedByOthers(trash, "crm.bak", "bak/crm.bak", "2026-12-01T03:00:00", 200 * kKiB);
    makeFile(folder + "big.bak", 1100 * kKiB);
    EXPECT_FALSE(trashItem(folder + "big.bak"));
    EXPECT_TRUE(fs::exists(folder + "big.bak"));
    EXPECT_EQ(inTrash(), std::vector<std::string>{"crm.bak"}) << "nothing was removed for it";
}

// Where the backup folder's file system has no trash of its own and the
// home trash lies on another one, no trash takes the item, and nothing in
// the home trash goes for it.
TEST_F(TrashBound, noTrashOnTheItemsFileSystemLeavesItAndTheHomeTrashAlone)
{
    SKIP_WITHOUT(disk);
    makeFile(trash, 1); // a file where the trash folder would be
    const fs::path homeTrash = fs::path(places.dataHome) / "Trash";
    trashedByOthers(homeTrash, "sales.bak", folder + "sales.bak", "2020-01-01T00:00:00", 4 * kKiB);
    makeFile(folder + "sales.bak", 300 * kKiB);
    EXPECT_FALSE(trashItem(folder + "sales.bak"));
    EXPECT_TRUE(fs::exists(folder + "sales.bak"));
    EXPECT_TRUE(fs::exists(homeTrash / "files" / "sales.bak"));
    EXPECT_EQ(recordedPaths(homeTrash).size(), 1u);
}

// On the home file system the trash is $XDG_DATA_HOME/Trash, bounded by a
// tenth of the file system that holds it.
TEST_F(TrashBound, theHomeTrashIsBoundedByItsOwnFileSystem)
{
    SKIP_WITHOUT(disk);
    places.home = (disk.path() / "home").string();
    places.dataHome = (disk.path() / "home" / ".local" / "share").string();
    fs::create_directories(places.home);
    const fs::path homeTrash = fs::path(places.dataHome) / "Trash";
    trashedByOthers(homeTrash, "letter.odt", "/home/u/letter.odt", "2020-01-01T00:00:00", 500 * kKiB);
    for (int slot = 0; slot < 4; ++slot) {
        makeFile(folder + "sales.bak", 400 * kKiB, static_cast<char>('a' + slot));
        ASSERT_TRUE(trashItem(folder + "sales.bak"));
    }
    EXPECT_FALSE(fs::exists(trash)) << "no trash on the file system's top for the home file system";
    EXPECT_TRUE(fs::exists(homeTrash / "files" / "letter.odt"));
    std::string marks;
    for (const auto& [name, path] : recordedPaths(homeTrash)) {
        if (name == "letter.odt")
            continue;
        EXPECT_EQ(path, folder + "sales.bak") << "recorded in full";
        marks += readBytes(homeTrash / "files" / name).substr(0, 1);
    }
    std::sort(marks.begin(), marks.end());
    EXPECT_EQ(marks, "cd");
}

// Another program may take a name between two of our moves, or be halfway
// through trashing an item of that name (info file first, as the trash
// wants it, or the item first, as some do): ours goes in under another
// name, and theirs stays exactly as it was.
TEST_F(TrashBound, aNameAnotherProgramTookMeanwhileIsNeverOverwritten)
{
    SKIP_WITHOUT(disk);
    makeFile(folder + "first.bak", 4 * kKiB);
    ASSERT_TRUE(trashItem(folder + "first.bak"));
    const std::string elsewhere = "/srv/other/";
    // Their whole item; their item without its info yet; their info without its item yet.
    trashedByOthers(trash, "sales.bak", elsewhere + "sales.bak", "2026-12-01T03:00:00", 8 * kKiB);
    makeFile(trash / "files" / "crm.bak", 8 * kKiB, 'o');
    std::ofstream(trash / "info" / "hr.bak.trashinfo")
        << "[Trash Info]\nPath=" << elsewhere << "hr.bak\nDeletionDate=2026-12-01T03:00:00\n";
    const auto theirInfos = recordedPaths(trash);

    for (const std::string name : {"sales.bak", "crm.bak", "hr.bak"}) {
        // Twice: the second finds its first under the other name as well.
        for (const char mark : {'a', 'b'}) {
            makeFile(folder + name, 16 * kKiB, mark);
            ASSERT_TRUE(trashItem(folder + name)) << name;
            EXPECT_FALSE(fs::exists(folder + name));
        }
        EXPECT_EQ(marksOf("bak/" + name), "ab") << name;
    }
    EXPECT_EQ(readBytes(trash / "files" / "sales.bak"), std::string(8 * kKiB, 'x'));
    EXPECT_EQ(readBytes(trash / "files" / "crm.bak"), std::string(8 * kKiB, 'o'));
    EXPECT_FALSE(fs::exists(trash / "info" / "crm.bak.trashinfo")) << "no info of ours for their item";
    EXPECT_FALSE(fs::exists(trash / "files" / "hr.bak")) << "their item's name stays free for it";
    for (const auto& [name, path] : theirInfos)
        EXPECT_EQ(recordedPaths(trash).at(name), path) << name;
    EXPECT_EQ(inTrash().size(), 2u + 6u + 1u);
}

// Emptied behind its back: what the object remembered is gone, and another
// program's item now has the name our oldest had. Ours are counted afresh,
// and theirs stays.
TEST_F(TrashBound, anEmptiedTrashIsReadAgain)
{
    SKIP_WITHOUT(disk);
    for (const char mark : {'a', 'b', 'c'}) {
        makeFile(folder + "sales.bak", 300 * kKiB, mark);
        ASSERT_TRUE(trashItem(folder + "sales.bak"));
    }
    ASSERT_EQ(marksOf("bak/sales.bak"), "abc");
    for (const std::string& name : inTrash()) {
        fs::remove_all(trash / "files" / name);
        fs::remove(trash / "info" / (name + ".trashinfo"));
    }
    trashedByOthers(trash, "sales.bak", "/srv/other/sales.bak", "2020-01-01T00:00:00", 300 * kKiB);
    for (const char mark : {'d', 'e', 'f'}) {
        makeFile(folder + "sales.bak", 300 * kKiB, mark);
        ASSERT_TRUE(trashItem(folder + "sales.bak"));
    }
    EXPECT_EQ(marksOf("bak/sales.bak"), "def") << "three of ours fit once the trash was emptied";
    EXPECT_EQ(marksOf("/srv/other/sales.bak"), "x");
}

// An info file rewritten in place leaves no trace in the folders' times: the
// item it now describes is another program's, and goes neither for ours nor
// in their stead.
TEST_F(TrashBound, anInfoFileEditedInPlaceIsNoticedBeforeAnythingGoes)
{
    SKIP_WITHOUT(disk);
    for (const char mark : {'a', 'b', 'c'}) {
        makeFile(folder + "sales.bak", 300 * kKiB, mark);
        ASSERT_TRUE(trashItem(folder + "sales.bak"));
    }
    // "sales.bak" is the first one's name, the name nobody else took.
    ASSERT_EQ(readBytes(trash / "files" / "sales.bak").substr(0, 1), "a");
    std::ofstream(trash / "info" / "sales.bak.trashinfo", std::ios::trunc)
        << "[Trash Info]\nPath=/srv/other/sales.bak\nDeletionDate=2020-01-01T00:00:00\n";
    makeFile(folder + "sales.bak", 300 * kKiB, 'd');
    ASSERT_TRUE(trashItem(folder + "sales.bak"));
    EXPECT_EQ(marksOf("bak/sales.bak"), "bcd") << "ours are three of 300 KiB now: nothing had to go";
    EXPECT_EQ(marksOf("/srv/other/sales.bak"), "a");
}

// A file manager trashing an old backup by hand makes it ours at once: the
// bound holds with it, and it goes first, being the oldest.
TEST_F(TrashBound, anOldBackupTrashedByHandCountsAtTheNextMove)
{
    SKIP_WITHOUT(disk);
    for (const char mark : {'a', 'b'}) {
        makeFile(folder + "sales.bak", 300 * kKiB, mark);
        ASSERT_TRUE(trashItem(folder + "sales.bak"));
    }
    trashedByOthers(trash, "crm.bak", "bak/crm.bak", "2020-01-01T00:00:00", 300 * kKiB);
    makeFile(folder + "sales.bak", 300 * kKiB, 'c');
    ASSERT_TRUE(trashItem(folder + "sales.bak"));
    EXPECT_EQ(marksOf("bak/sales.bak"), "abc");
    EXPECT_EQ(marksOf("bak/crm.bak"), "") << "four of ours would not fit; the oldest went";
    EXPECT_LE(usage(trash, inTrash()), disk.tenth());
}

// Oldest first by deletion date, whoever trashed them and in whatever order
// this object learnt of them: an earlier start's item, another Ondrel's
// items of the same second, one dated ahead (a clock set back since).
TEST_F(TrashBound, oldestFirstHoldsAcrossRunsAndOtherOndrels)
{
    SKIP_WITHOUT(disk);
    trashedByOthers(trash, "sales.bak", "bak/sales.bak", "2020-01-01T00:00:00", 300 * kKiB);
    std::ofstream(trash / "files" / "sales.bak", std::ios::trunc) << std::string(300 * kKiB, 'z');
    trashedByOthers(trash, "ahead", "bak/sales.bak", "2099-01-01T00:00:00", 100 * kKiB);
    std::ofstream(trash / "files" / "ahead", std::ios::trunc) << std::string(100 * kKiB, 'y');
    // Who moves each next one, and which of ours are left after it (the
    // one dated ahead among them throughout).
    const struct {
        bool kept;
        char mark;
        const char* left;
    } moves[] = {
        {true, 'a', "ayz"},  {false, 'b', "abyz"}, {true, 'c', "abcy"},
        {true, 'd', "bcdy"}, {false, 'e', "cdey"}, {true, 'f', "defy"},
    };
    for (const auto& move : moves) {
        makeFile(folder + "sales.bak", 300 * kKiB, move.mark);
        ASSERT_TRUE(move.kept ? trashItem(folder + "sales.bak") : trashItemAsAnotherOndrel(folder + "sales.bak"));
        EXPECT_EQ(marksOf("bak/sales.bak"), move.left) << "after " << move.mark;
    }
}

// The schedule over the real road: replace mode at every slot, the server
// writing into a small file system whose trash other programs share.
class TrashBoundRoad : public BackupRoad {
protected:
    TrashBoundRoad() : BackupRoad({"sales:300KB", "big:1100KB"}), disk("10m")
    {
        if (!disk.mounted())
            return;
        folder = (disk.path() / "bak").string() + "/";
        f.Text5.setText(folder);
        FreedesktopTrash::Places places;
        places.home = home.path().string();
        places.dataHome = (home.path() / "data").string();
        places.uid = static_cast<std::uint32_t>(::getuid());
        w.harness.shell.freedesktopTrash = places;
        trash = disk.path() / (".Trash-" + std::to_string(::getuid()));
    }

    TempFolder home;
    SmallFileSystem disk;
    fs::path trash;
};

TEST_F(TrashBoundRoad, slotAfterSlotTheTrashStaysWithinItsBound)
{
    SKIP_WITHOUT(disk);
    trashedByOthers(trash, "photo.jpg", "pictures/photo.jpg", "2020-01-01T00:00:00", 600 * kKiB);
    list({"sales", "big"});
    const char* const slots[] = {"12:00:00", "18:00:00", "03:00:00"};
    for (int day = 0; day < 2; ++day) {
        for (const char* slot : slots) {
            f.Text8.setText(slot);
            w.harness.clock.set({2026, 12, 6 + day, std::stoi(slot), 0, 0, 0});
            w.harness.clock.advanceSeconds(-1);
            tick();
            ASSERT_TRUE(w.harness.messages.boxes.empty()) << w.harness.messages.texts().front();
            expectOneSetOf(folder + "sales.bak", "sales");
            expectOneSetOf(folder + "big.bak", "big");
            std::uint64_t ours = 0;
            for (const auto& entry : fs::directory_iterator(trash / "files")) {
                if (entry.path().filename() != "photo.jpg")
                    ours += FreedesktopTrash::diskUsage(entry.path().string());
            }
            EXPECT_LE(ours, disk.tenth());
        }
    }
    EXPECT_EQ(backups().size(), 12u);
    EXPECT_TRUE(fs::exists(trash / "files" / "photo.jpg"));
    // The big backup never entered the trash and left nothing beside the new one.
    for (const auto& [name, path] : recordedPaths(trash))
        EXPECT_EQ(path.find("big"), std::string::npos) << name;
    std::vector<std::string> inFolder;
    for (const auto& entry : fs::directory_iterator(folder))
        inFolder.push_back(entry.path().filename().string());
    std::sort(inFolder.begin(), inFolder.end());
    EXPECT_EQ(inFolder, (std::vector<std::string>{"big.bak", "sales.bak"}));
}

} // namespace
