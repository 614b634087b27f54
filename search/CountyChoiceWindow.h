#pragma once
// The state-and-county choice the county search window and the date search window share: the list shows the
// counties of the state from the zip table (several selectable) or its districts (one
// selectable), and the selection becomes the counties a search is restricted to.
// Collaborators: stateCounties (zip table), DistrictFiles, TCountySearch, TDateSearch.

#include "core/AppContext.h"
#include "search/CountyDateSql.h"

class QLabel;
class QListWidget;
class QRadioButton;
class QWidget;

// Empties the list and refills it for the state; with no state it stays empty. A missing
// district folder is created (and has no districts).
void fillCountyList(QListWidget* list, TAppContext& context, const QString& state, bool byDistrict);
// False when nothing is selected. By name: the selected counties in list order; by district: the
// lines of the selected district's file (throws std::runtime_error when it cannot be read).
bool chosenCounties(const QListWidget* list, const TAppContext& context, const QString& state, bool byDistrict,
                    CountyChoice& choice);
// Components of the two windows, named as tests and assistive tools find them.
QRadioButton* namedRadio(const QString& caption, QWidget* parent, const char* name);
QLabel* boldLabel(const QString& text, QWidget* parent, const char* name);
// The cream background of the search windows, under the platform look only (themes paint their own).
void paintCream(QWidget* window);
