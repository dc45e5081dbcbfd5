#pragma once
// The drop-downs of the patient editors: fixed choices stored as shown,
// languages shown by name and stored by code, and records shown by name and
// stored by Seq. No entry is chosen until one is set.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "case_labels.h"

class QComboBox;

namespace dalvero {

void FillChoices(QComboBox* box, const std::vector<const char*>& choices);
void FillLanguages(QComboBox* box, const std::vector<Language>& languages);
// Entries of (text, Seq).
void FillSeqChoices(QComboBox* box, const std::vector<std::pair<std::string, int>>& entries);

// Chooses the entry whose text (or stored value) equals value; none when
// value is empty. A value no entry has is shown as stored, in an entry of its
// own that the next choice removes.
void ChooseText(QComboBox* box, std::string_view value);
void ChooseValue(QComboBox* box, std::string_view value);
// The chosen entry's text or stored value; empty when none is chosen.
std::string ChosenText(const QComboBox* box);
std::string ChosenValue(const QComboBox* box);

}  // namespace dalvero
