#include "platform/volumes.h"

#include <charconv>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace platform {

namespace {

bool IsOctal(char c) { return c >= '0' && c <= '7'; }

// The kernel writes space, tab, newline and backslash in mountinfo as \ooo.
std::string DecodeMountField(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && IsOctal(s[i + 1]) && IsOctal(s[i + 2]) && IsOctal(s[i + 3])) {
      int v = (s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0');
      out.push_back(static_cast<char>(v & 0xFF));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// udev names label links with unsafe bytes as \xHH ("My\x20Disk").
std::string DecodeLabelName(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' && HexValue(s[i + 2]) >= 0 &&
        HexValue(s[i + 3]) >= 0) {
      out.push_back(static_cast<char>(HexValue(s[i + 2]) * 16 + HexValue(s[i + 3])));
      i += 3;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

bool ParseUnsigned(std::string_view s, unsigned& v) {
  if (s.empty()) return false;
  auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

bool ParseMountLine(std::string_view line, MountEntry& e) {
  std::vector<std::string_view> f;
  size_t pos = 0;
  while (pos <= line.size()) {
    size_t sp = line.find(' ', pos);
    if (sp == line.npos) sp = line.size();
    if (sp > pos) f.push_back(line.substr(pos, sp - pos));
    pos = sp + 1;
  }
  // id parent major:minor root mountpoint options [optional...] - fstype source superoptions
  if (f.size() < 9) return false;
  size_t dash = 6;
  while (dash < f.size() && f[dash] != "-") ++dash;
  if (dash + 2 >= f.size()) return false;
  size_t colon = f[2].find(':');
  if (colon == f[2].npos || !ParseUnsigned(f[2].substr(0, colon), e.devMajor) ||
      !ParseUnsigned(f[2].substr(colon + 1), e.devMinor))
    return false;
  e.mountPoint = DecodeMountField(f[4]);
  if (e.mountPoint.empty() || e.mountPoint.front() != '/') return false;
  while (e.mountPoint.size() > 1 && e.mountPoint.back() == '/') e.mountPoint.pop_back();
  e.fsType = DecodeMountField(f[dash + 1]);
  e.source = DecodeMountField(f[dash + 2]);
  return true;
}

bool ReadText(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

std::string RealPath(const std::string& path) {
  char buf[PATH_MAX];
  return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

// The path itself when it exists, else its nearest existing parent: a
// settings file about to be created lives on the mount of its directory.
std::string CanonicalExisting(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = path.empty() ? std::filesystem::current_path(ec) : std::filesystem::absolute(path, ec);
  if (ec) return {};
  for (;;) {
    std::string real = RealPath(p.string());
    if (!real.empty()) return real;
    std::filesystem::path parent = p.parent_path();
    if (parent == p || parent.empty()) return {};
    p = parent;
  }
}

DriveType TypeFromFileSystem(const std::string& fs) {
  static const char* const kRemote[] = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "sshfs", "fuse.sshfs", "9p", "afs", "ceph"};
  if (fs == "iso9660" || fs == "udf") return DriveType::CdRom;
  for (const char* r : kRemote)
    if (fs == r) return DriveType::Remote;
  if (fs == "tmpfs" || fs == "ramfs") return DriveType::RamDisk;
  return DriveType::Unknown;
}

bool ReadsOne(const std::string& path, bool& exists) {
  std::string text;
  exists = ReadText(path, text);
  return exists && !text.empty() && text.front() == '1';
}

}  // namespace

std::vector<MountEntry> ParseMountInfo(const std::string& text) {
  std::vector<MountEntry> out;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t nl = text.find('\n', pos);
    if (nl == text.npos) nl = text.size();
    MountEntry e;
    if (ParseMountLine(std::string_view(text).substr(pos, nl - pos), e)) out.push_back(std::move(e));
    pos = nl + 1;
  }
  return out;
}

const MountEntry* FindMount(const std::vector<MountEntry>& mounts, const std::string& canonicalPath) {
  const MountEntry* best = nullptr;
  for (const MountEntry& m : mounts) {
    const std::string& mp = m.mountPoint;
    bool covers = mp == "/" ? !canonicalPath.empty() && canonicalPath.front() == '/'
                            : canonicalPath.compare(0, mp.size(), mp) == 0 &&
                                  (canonicalPath.size() == mp.size() || canonicalPath[mp.size()] == '/');
    // ">=" so that of two mounts on one point the later, visible one wins.
    if (covers && (!best || mp.size() >= best->mountPoint.size())) best = &m;
  }
  return best;
}

bool SystemVolumes::FindMountFor(const std::string& path, MountEntry& mount) const {
  std::string text;
  if (!ReadText(m_sources.mountInfo, text)) return false;
  std::string canonical = CanonicalExisting(path);
  if (canonical.empty()) return false;
  std::vector<MountEntry> mounts = ParseMountInfo(text);
  const MountEntry* m = FindMount(mounts, canonical);
  if (!m) return false;
  mount = *m;
  return true;
}

bool SystemVolumes::IsRemovable(const MountEntry& mount) const {
  std::string dir;
  if (!mount.source.empty() && mount.source.front() == '/') {
    // /dev/mapper/x and /dev/disk/by-* are links; sysfs knows the real name.
    std::string real = RealPath(mount.source);
    std::string name = std::filesystem::path(real.empty() ? mount.source : real).filename().string();
    struct stat st;
    if (!name.empty() && ::stat((m_sources.sysBlockDir + "/" + name).c_str(), &st) == 0)
      dir = m_sources.sysBlockDir + "/" + name;
  }
  if (dir.empty()) {
    // Sources such as /dev/root name no real node; the device number does.
    std::string byNumber = m_sources.sysDevBlockDir + "/" + std::to_string(mount.devMajor) + ":" + std::to_string(mount.devMinor);
    struct stat st;
    if (::stat(byNumber.c_str(), &st) != 0) return false;
    dir = byNumber;
  }
  bool exists = false;
  bool removable = ReadsOne(dir + "/removable", exists);
  if (exists) return removable;
  // Partitions carry no flag of their own; the disk above them does.
  std::string real = RealPath(dir);
  if (real.empty()) return false;
  return ReadsOne(std::filesystem::path(real).parent_path().string() + "/removable", exists);
}

DriveType SystemVolumes::GetDriveType(const std::string& path) {
  MountEntry mount;
  if (!FindMountFor(path, mount)) return DriveType::NoRootDir;
  DriveType byFs = TypeFromFileSystem(mount.fsType);
  if (byFs != DriveType::Unknown) return byFs;
  return IsRemovable(mount) ? DriveType::Removable : DriveType::Fixed;
}

bool SystemVolumes::GetVolumeLabel(const std::string& path, std::string& label) {
  label.clear();
  MountEntry mount;
  if (!FindMountFor(path, mount)) return false;
  DIR* d = ::opendir(m_sources.labelDir.c_str());
  if (!d) return true;
  std::string sourceNormal = std::filesystem::path(mount.source).lexically_normal().string();
  std::string sourceReal = mount.source.empty() || mount.source.front() != '/' ? std::string() : RealPath(mount.source);
  while (dirent* ent = ::readdir(d)) {
    std::string name = ent->d_name;
    if (name == "." || name == "..") continue;
    std::string link = m_sources.labelDir + "/" + name;
    bool match = false;
    std::error_code ec;
    std::filesystem::path target = std::filesystem::read_symlink(link, ec);
    if (!ec) {
      if (target.is_relative()) target = std::filesystem::path(m_sources.labelDir) / target;
      match = target.lexically_normal().string() == sourceNormal;
    }
    if (!match && !sourceReal.empty()) match = RealPath(link) == sourceReal;
    if (!match && mount.devMajor != 0) {
      struct stat st;
      match = ::stat(link.c_str(), &st) == 0 && S_ISBLK(st.st_mode) && major(st.st_rdev) == mount.devMajor &&
              minor(st.st_rdev) == mount.devMinor;
    }
    if (match) {
      label = DecodeLabelName(name);
      break;
    }
  }
  ::closedir(d);
  return true;
}

std::string SystemVolumes::GetVolumeRoot(const std::string& path) {
  MountEntry mount;
  if (!FindMountFor(path, mount)) return {};
  std::string root = mount.mountPoint;
  if (root.empty() || root.back() != '/') root.push_back('/');
  return root;
}

namespace {
SystemVolumes g_systemVolumes;
Volumes* g_volumes = &g_systemVolumes;
}  // namespace

Volumes& GetVolumes() { return *g_volumes; }
void SetVolumes(Volumes* volumes) { g_volumes = volumes ? volumes : &g_systemVolumes; }

}  // namespace platform
