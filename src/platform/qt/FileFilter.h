#pragma once
// Save-dialog filters: the program writes them as pairs of description and patterns, each
// ended by '|', the list ended by an extra '|' ("Text Files (*.txt)|*.txt||"); Qt's file
// dialog takes descriptions with the patterns in parentheses, joined by ";;".

#include <QString>
#include <string>

namespace vantor {

QString ToQtNameFilters(const std::string& filter);

}  // namespace vantor
