#include "app/FileSystemPath.h"

#include <dirent.h>
#include <sys/stat.h>

#include <QFile>
#include <QStringList>
#include <memory>

namespace vantorix {

namespace {

bool Exists(const std::string& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0;
}

// The one entry of the folder whose name decodes to the text; empty for none or several.
std::string EntryNamed(const std::string& folder, const QString& text) {
  const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.empty() ? "." : folder.c_str()), ::closedir);
  if (!entries) return {};
  std::string found;
  int matches = 0;
  while (const dirent* entry = ::readdir(entries.get()))
    if (QFile::decodeName(entry->d_name) == text && ++matches == 1) found = entry->d_name;
  return matches == 1 ? found : std::string();
}

}  // namespace

std::string FileSystemPath(const QString& path) {
  const std::string encoded = QFile::encodeName(path).toStdString();
  if (!path.contains(QChar::ReplacementCharacter) || Exists(encoded)) return encoded;
  std::string resolved = path.startsWith(u'/') ? "/" : "";
  for (const QString& part : path.split(u'/', Qt::SkipEmptyParts)) {
    std::string name = QFile::encodeName(part).toStdString();
    if (!Exists(resolved + name)) name = EntryNamed(resolved, part);
    if (name.empty()) return encoded;
    resolved += name + "/";
  }
  resolved.pop_back();
  return resolved;
}

}  // namespace vantorix
