#pragma once

#include "core/modfolders/ModFolder.h"

#include <QString>

#include <memory>
#include <vector>

namespace tilvane {

class TIniDocument;

// The layout of a per-game settings file: section Common with the number of
// mod folders, then one section "ModFolder<n>" per folder, n counted from 1.
// Works on a parsed document so that a whole list is read from one reading of
// the file and written with one replacement of it.
class TModFolderIniFormat {
public:
  using TList = std::vector<std::unique_ptr<TModFolder>>;

  // Sections above this number are never looked at.
  static constexpr int MaxSectionNumber = 999;

  static QString SectionName(int ANumber);

  // The folders the document lists. A listed section that is missing still
  // gives a folder (empty texts, both options on). Legacy keys are read as
  // their successors: ServerName stands in for an empty GameNameFilter.
  static TList Read(const TIniDocument& ADoc);

  // True when some listed section still keeps its game password under the
  // old key ServerPassword (and has no GamePassword).
  static bool HasLegacyPasswords(const TIniDocument& ADoc);
  // Moves those passwords to GamePassword and deletes the old key.
  static void MoveLegacyPasswords(TIniDocument& ADoc);

  // Writes the list: the count, every folder's nine keys in a fixed order,
  // and erases the sections of folders beyond the list. Keys the layout does
  // not know (a legacy ServerName, say) stay where they are.
  static void Write(TIniDocument& ADoc, const TList& AList);
};

} // namespace tilvane
