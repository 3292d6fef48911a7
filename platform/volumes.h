// Drive types and volume labels. On Linux a "drive" is the mount that holds a
// path: iso9660/udf is a CD-ROM, a removable block device is removable,
// network file systems are remote, everything else fixed.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace platform {

enum class DriveType { Unknown = 0, NoRootDir = 1, Removable = 2, Fixed = 3, Remote = 4, CdRom = 5, RamDisk = 6 };

class Volumes {
 public:
  virtual ~Volumes() = default;
  virtual DriveType GetDriveType(const std::string& path) = 0;
  // Fills label with the label of the volume holding path ("" when it has
  // none); false when the volume cannot be queried (nothing mounted there).
  virtual bool GetVolumeLabel(const std::string& path, std::string& label) = 0;
  // The mount point holding path ("" when unknown).
  virtual std::string GetVolumeRoot(const std::string& path) = 0;
};

// One mount from /proc/self/mountinfo, escapes (\040 and the like) decoded.
struct MountEntry {
  std::string mountPoint;
  std::string fsType;
  std::string source;
  unsigned devMajor = 0;
  unsigned devMinor = 0;
};

// Malformed lines are skipped rather than failing the whole table.
std::vector<MountEntry> ParseMountInfo(const std::string& text);

// The mount holding an absolute, symlink-free path: the longest mount point
// that is a whole-component prefix, the later one when mounts are stacked.
// nullptr when none matches.
const MountEntry* FindMount(const std::vector<MountEntry>& mounts, const std::string& canonicalPath);

// Where SystemVolumes looks; tests point these at a fake tree.
struct VolumeSources {
  std::string mountInfo = "/proc/self/mountinfo";
  std::string labelDir = "/dev/disk/by-label";
  std::string sysBlockDir = "/sys/class/block";
  std::string sysDevBlockDir = "/sys/dev/block";
};

// Reads /proc/self/mountinfo, /sys/class/block and /dev/disk/by-label.
class SystemVolumes : public Volumes {
 public:
  SystemVolumes() = default;
  explicit SystemVolumes(VolumeSources sources) : m_sources(std::move(sources)) {}

  DriveType GetDriveType(const std::string& path) override;
  bool GetVolumeLabel(const std::string& path, std::string& label) override;
  std::string GetVolumeRoot(const std::string& path) override;

 private:
  bool FindMountFor(const std::string& path, MountEntry& mount) const;
  bool IsRemovable(const MountEntry& mount) const;

  VolumeSources m_sources;
};

// The process-wide volume service; SetVolumes(nullptr) restores the system one.
Volumes& GetVolumes();
void SetVolumes(Volumes* volumes);

class ScopedVolumes {
 public:
  explicit ScopedVolumes(Volumes* volumes) { SetVolumes(volumes); }
  ~ScopedVolumes() { SetVolumes(nullptr); }
  ScopedVolumes(const ScopedVolumes&) = delete;
  ScopedVolumes& operator=(const ScopedVolumes&) = delete;
};

}  // namespace platform
