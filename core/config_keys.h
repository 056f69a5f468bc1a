#pragma once

#include <QString>

// base trimmed, then ".first" and ".second" for those given; empty when base is blank.
QString dottedKey(const QString& base, const QString& first, const QString& second);

// "<project>.prefer.out.subdir"
QString preferOutSubdirKey(const QString& projectName);
// "<project>.<fileset id>.fileset.prefer.out.subdir"; without an id, no middle part.
QString filesetPreferOutSubdirKey(const QString& projectName, const QString& filesetId);
