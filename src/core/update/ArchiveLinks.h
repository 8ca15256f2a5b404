#pragma once

#include <QString>

namespace tilvane {

// The update task's and the sharing's use of hard links: an archive that two
// mod folders hold put in place as one file under two names.

// True when both names lead to one file.
bool SameFile(const QString& APathA, const QString& APathB);
// True when both paths (files or folders) are known to live on one drive.
bool SameDrive(const QString& APathA, const QString& APathB);

enum class TArchiveLinkOutcome { Linked, NotPossible, Failed };

// Makes ATarget a second name of AExisting's file, replacing what ATarget was
// in one step: the link is made under ATarget + ATempSuffix in ATarget's
// folder, then renamed over ATarget, so that there is no moment without an
// archive and no half-made one. NotPossible: another drive or a file system
// without hard links; nothing was changed. AReason tells why it failed.
TArchiveLinkOutcome LinkInPlace(const QString& AExisting, const QString& ATarget,
                                const QString& ATempSuffix, QString& AReason);

} // namespace tilvane
