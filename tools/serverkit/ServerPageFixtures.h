#pragma once

#include <QString>

namespace tilvane::kit {

// Dedicated server pages in the layouts of the five server versions, modelled
// on captured pages, with generated mod rows: what the parser's tests and
// benchmarks read.
struct FixtureMod {
  int Index = 0; // the mod's number in the server's detail links
  QString Name;
  QString Version;
  QString Author;
  QString FileName;
  QString Size;   // as the page writes it, "38.04 MB"
  QString Issues; // inner HTML of the issues cell
  QString ModHub;
  QString Active;
  QString Link; // empty: the row has no download icon
};

FixtureMod MakeFixtureMod(int AIndex);

// A table page (8.0, 9.0): header row, the rows, a totals row without a link.
// ARowAttributes goes into every data row tag ("" gives plain <tr>).
QString TablePage(const QString& AVersion, const QList<FixtureMod>& AMods,
                  const QString& ARowAttributes = {});
// A grid page (9.1 without, 9.2 and 10.0 with the ModHub column).
QString GridPage(const QString& AVersion, const QList<FixtureMod>& AMods, bool AWithModHub);
// The page of the layout the version uses.
QString ServerPage(const QString& AVersion, const QList<FixtureMod>& AMods);
// What a logged-in administrator gets from a grid server (9.1 without, 9.2
// and 10.0 with the ModHub column), after the markup such a server writes:
// a header row, each mod's row with a download block for small screens and a
// delete button, and a totals row.
QString AdminGridPage(const QString& AVersion, const QList<FixtureMod>& AMods, bool AWithModHub);
// Rows as a real list has them: a name with an entity, umlauts, a size below
// 1 MB and one over 1,000 MB, issues or none, and a DLC without a link.
QList<FixtureMod> VariedFixtureMods();
// Generated rows 0 .. ACount-1.
QList<FixtureMod> FixtureMods(int ACount);

} // namespace tilvane::kit
