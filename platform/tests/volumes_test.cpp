#include "platform/volumes.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/tests/temp_dir.h"

namespace platform {
namespace {

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::WriteFile;

std::string Line(int id, const std::string& dev, const std::string& mountPoint, const std::string& fsType,
                 const std::string& source, const std::string& optional = "shared:1") {
  return std::to_string(id) + " 1 " + dev + " / " + mountPoint + " rw,relatime " + optional + " - " + fsType + " " +
         source + " rw\n";
}

TEST(Volumes, ParsesMountInfo) {
  std::string text = Line(22, "8:1", "/", "ext4", "/dev/sda1") +
                     Line(23, "0:5", "/mnt/My\\040Disk", "vfat", "/dev/sd\\134b1", "") +
                     Line(24, "0:6", "/media/cd/", "iso9660", "/dev/sr0", "shared:2 master:3") +
                     "25 1 0:7 / /short rw - tmpfs\n"            // no source
                     "26 1 0:8 / /nodash rw shared:1 tmpfs x rw\n"  // no separator
                     "27 1 8x1 / /baddev rw - ext4 /dev/x rw\n"
                     "\n";
  std::vector<MountEntry> mounts = ParseMountInfo(text);
  ASSERT_EQ(mounts.size(), 3u);
  EXPECT_EQ(mounts[0].mountPoint, "/");
  EXPECT_EQ(mounts[0].devMajor, 8u);
  EXPECT_EQ(mounts[0].devMinor, 1u);
  EXPECT_EQ(mounts[1].mountPoint, "/mnt/My Disk");
  EXPECT_EQ(mounts[1].source, "/dev/sd\\b1");
  EXPECT_EQ(mounts[1].fsType, "vfat");
  EXPECT_EQ(mounts[2].mountPoint, "/media/cd");
  EXPECT_EQ(mounts[2].fsType, "iso9660");
}

TEST(Volumes, FindMountPrefersLongestWholeComponent) {
  std::vector<MountEntry> mounts = ParseMountInfo(
      Line(1, "8:1", "/", "ext4", "a") + Line(2, "8:2", "/home", "ext4", "b") +
      Line(3, "8:3", "/home/user/media", "ext4", "c") + Line(4, "8:4", "/mnt", "ext4", "d") +
      Line(5, "8:5", "/mnt", "ext4", "e"));
  const std::pair<const char*, const char*> table[] = {
      {"/", "a"},          {"/etc/passwd", "a"}, {"/home", "b"},          {"/home/user/x", "b"},
      {"/homework", "a"},  {"/home/user/media", "c"}, {"/home/user/media/cd/x", "c"},
      {"/home/user/mediax", "b"}, {"/mnt/x", "e"},  // the later of two stacked mounts is the visible one
  };
  for (const auto& [path, source] : table) {
    const MountEntry* m = FindMount(mounts, path);
    ASSERT_NE(m, nullptr) << path;
    EXPECT_EQ(m->source, source) << path;
  }
  EXPECT_EQ(FindMount(mounts, "relative/path"), nullptr);
  EXPECT_EQ(FindMount({}, "/"), nullptr);
}

// A fake machine: mounts under a temporary directory, sysfs and by-label trees
// beside them.
class FakeVolumes : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string& t = m_dir.path();
    for (const char* d : {"mnt/cd/sub", "mnt/nfs", "mnt/ssh", "mnt/ram", "mnt/usb", "mnt/disk", "mnt/odd dir",
                          "mnt/byno", "devs", "sys/devices/klmwusb/klmwusb1", "sys/devices/klmwdisk", "sys/class/block",
                          "sys/dev/block", "labels"})
      fs::create_directories(m_dir / d);
    WriteFile(m_dir / "sys/devices/klmwusb/removable", "1\n");
    WriteFile(m_dir / "sys/devices/klmwusb/klmwusb1/partition", "1\n");
    WriteFile(m_dir / "sys/devices/klmwdisk/removable", "0\n");
    fs::create_directory_symlink("../../devices/klmwusb/klmwusb1", m_dir / "sys/class/block/klmwusb1");
    fs::create_directory_symlink("../../devices/klmwdisk", m_dir / "sys/class/block/klmwdisk");
    fs::create_directory_symlink("../../devices/klmwusb/klmwusb1", m_dir / "sys/dev/block/259:7");
    fs::create_symlink("/dev/klmwusb1", m_dir / "labels/My\\x20Stick");
    fs::create_symlink("../devs/klmwdisk", m_dir / "labels/DATA");

    std::string info = Line(1, "0:1", "/", "ext4", "/dev/klmwroot") +
                       Line(2, "11:0", t + "/mnt/cd", "iso9660", "/dev/klmwsr0") +
                       Line(3, "0:40", t + "/mnt/nfs", "nfs4", "server:/export") +
                       Line(4, "0:41", t + "/mnt/ssh", "fuse.sshfs", "me@host:") +
                       Line(5, "0:42", t + "/mnt/ram", "tmpfs", "tmpfs") +
                       Line(6, "259:1", t + "/mnt/usb", "vfat", "/dev/klmwusb1") +
                       Line(7, "259:2", t + "/mnt/disk", "ext4", t + "/devs/klmwdisk") +
                       Line(8, "259:7", t + "/mnt/byno", "ext4", "/dev/root") +
                       Line(9, "259:3", t + "/mnt/odd\\040dir", "ext4", "/dev/klmwodd");
    WriteFile(m_dir / "mountinfo", info);
    m_sources.mountInfo = m_dir / "mountinfo";
    m_sources.labelDir = m_dir / "labels";
    m_sources.sysBlockDir = m_dir / "sys/class/block";
    m_sources.sysDevBlockDir = m_dir / "sys/dev/block";
  }

  TempDir m_dir;
  VolumeSources m_sources;
};

TEST_F(FakeVolumes, DriveTypes) {
  SystemVolumes volumes(m_sources);
  const std::pair<const char*, DriveType> table[] = {
      {"mnt/cd/sub", DriveType::CdRom},
      {"mnt/cd/sub/not/yet/there.ini", DriveType::CdRom},
      {"mnt/nfs", DriveType::Remote},
      {"mnt/ssh", DriveType::Remote},
      {"mnt/ram", DriveType::RamDisk},
      {"mnt/usb", DriveType::Removable},  // partition: the flag is on its disk
      {"mnt/byno", DriveType::Removable},  // source names no node; found by device number
      {"mnt/disk", DriveType::Fixed},
      {"mnt/odd dir", DriveType::Fixed},
      {"devs", DriveType::Fixed},  // falls through to "/" whose device is unknown to sysfs
  };
  for (const auto& [rel, type] : table) EXPECT_EQ(volumes.GetDriveType(m_dir / rel), type) << rel;

  WriteFile(m_sources.mountInfo, Line(1, "8:1", m_dir.path() + "/mnt", "ext4", "/dev/x"));
  EXPECT_EQ(volumes.GetDriveType("/"), DriveType::NoRootDir);
  m_sources.mountInfo = m_dir / "nothing-here";
  EXPECT_EQ(SystemVolumes(m_sources).GetDriveType(m_dir / "mnt"), DriveType::NoRootDir);
}

TEST_F(FakeVolumes, RootsAndLabels) {
  SystemVolumes volumes(m_sources);
  EXPECT_EQ(volumes.GetVolumeRoot(m_dir / "mnt/cd/sub/x"), m_dir / "mnt/cd/");
  EXPECT_EQ(volumes.GetVolumeRoot(m_dir / "mnt/odd dir"), m_dir / "mnt/odd dir/");
  EXPECT_EQ(volumes.GetVolumeRoot(m_dir / "mnt"), "/");

  const std::pair<const char*, const char*> labels[] = {
      {"mnt/usb", "My Stick"},  // absolute link target, escaped name
      {"mnt/disk", "DATA"},     // relative link target
      {"mnt/ram", ""},
  };
  for (const auto& [rel, expected] : labels) {
    std::string label = "stale";
    EXPECT_TRUE(volumes.GetVolumeLabel(m_dir / rel, label)) << rel;
    EXPECT_EQ(label, expected) << rel;
  }

  m_sources.labelDir = m_dir / "no-labels";
  std::string label = "stale";
  EXPECT_TRUE(SystemVolumes(m_sources).GetVolumeLabel(m_dir / "mnt/usb", label));
  EXPECT_EQ(label, "");

  m_sources.mountInfo = m_dir / "nothing-here";
  EXPECT_FALSE(SystemVolumes(m_sources).GetVolumeLabel(m_dir / "mnt/usb", label));
  EXPECT_EQ(SystemVolumes(m_sources).GetVolumeRoot(m_dir / "mnt/usb"), "");
}

TEST(Volumes, SystemSmoke) {
  SystemVolumes volumes;
  EXPECT_NE(volumes.GetDriveType("/"), DriveType::NoRootDir);
  EXPECT_EQ(volumes.GetVolumeRoot("/"), "/");
  std::string label;
  EXPECT_TRUE(volumes.GetVolumeLabel("/", label));
  EXPECT_NE(GetVolumes().GetDriveType(::testing::TempDir()), DriveType::NoRootDir);
}

}  // namespace
}  // namespace platform
