#pragma once

// A generated tree of 'build rules' files for the scan benchmarks: a root naming
// projects/100 group directories, each naming 100 directories whose file holds one
// solution with two outputs and one dependence (on the next project). 1 000 projects
// make 1 011 files, 10 000 make 10 101.

#include "scan_floor/scan_floor_walk.h"

#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <map>
#include <memory>

namespace bench_rules {

constexpr int kPerGroup = 100;

inline bool writeRules(const QString& dir, const QStringList& targets, const QString& solution) {
  if (!QDir().mkpath(dir)) return false;
  QFile file(dir + QStringLiteral("/varkel.xml"));
  if (!file.open(QIODevice::WriteOnly)) return false;
  QString xml = QStringLiteral("<project><scan><targets>");
  for (const QString& target : targets) xml += QStringLiteral("<target path=\"%1\"/>").arg(target);
  xml += QStringLiteral("</targets></scan><solutions>") + solution + QStringLiteral("</solutions></project>\n");
  const QByteArray bytes = xml.toUtf8();
  return file.write(bytes) == bytes.size();
}

struct RulesTree {
  explicit RulesTree(int count) : projects(count) {
    const int groupCount = projects / kPerGroup;
    QStringList groups;
    for (int g = 0; g < groupCount; ++g) groups << QStringLiteral("g%1").arg(g);
    bool ok = writeRules(dir.path(), groups, QString());
    for (int g = 0; g < groupCount && ok; ++g) {
      QStringList leaves;
      for (int p = 0; p < kPerGroup; ++p) leaves << QStringLiteral("p%1").arg(p);
      const QString group = dir.filePath(groups[g]);
      ok = writeRules(group, leaves, QString());
      for (int p = 0; p < kPerGroup && ok; ++p) {
        const int n = g * kPerGroup + p;
        ok = writeRules(group + QLatin1Char('/') + leaves[p], {},
                        QStringLiteral("<solution type=\"build\" buildtype=\"make\" name=\"p%1\" projectfile=\"p.pro\">"
                                       "<output><fileset id=\"bin\" dir=\"bin\"><include name=\"*\"/></fileset>"
                                       "<fileset id=\"lib\" dir=\"lib\"><include name=\"*.so\"/></fileset></output>"
                                       "<dependencies><dependence name=\"p%2\"/></dependencies></solution>")
                            .arg(n)
                            .arg((n + 1) % projects));
      }
    }
    valid = ok && dir.isValid();
  }
  QString manifest() const { return dir.filePath(QStringLiteral("varkel.xml")); }
  int files() const { return 1 + projects / kPerGroup + projects; }

  QTemporaryDir dir;
  int projects;
  bool valid = false;
};

// One tree per size for the whole benchmark run, walked once when it is made, so that
// neither side of a comparison meets it first outside the caches.
inline const RulesTree& tree(int projects) {
  static std::map<int, std::unique_ptr<RulesTree>> trees;
  std::unique_ptr<RulesTree>& slot = trees[projects];
  if (!slot) {
    slot = std::make_unique<RulesTree>(projects);
    if (slot->valid && scan_floor::walk(slot->manifest()) != slot->files()) slot->valid = false;
  }
  return *slot;
}

}  // namespace bench_rules
