// The command list builder: file names in, complete command lines out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config/command_text.h"

// 0 when nothing of that name exists, 1 for a file, 16 (the directory attribute bit) for a directory.
uint8_t FileExists(std::wstring name);

// Puts the quoted names into a parameter template: at the first "%1", or in front of a template
// without one.
std::wstring InsFileNamesToParams(std::wstring params, std::wstring names);

// Appends one command line per produced command to commandLines, grouped as ParamsMode and
// ParamsByExtMode say.
void GetCommandsList(const std::vector<std::wstring>& fileNames, std::vector<std::wstring>& commandLines,
                     bool forceDefaultEditor, bool useSystemAssociation);

// The command lines GetCommandsList composes for fileNames when every key (extension or type) resolves
// to app, the templates and the grouping as the options choose them. keys: the names' keys as
// config::TypeNames gave them; without, [Types] is read for them.
std::vector<std::wstring> CommandLinesForApp(const std::vector<std::wstring>& fileNames,
                                             const config::ResolvedApp& app,
                                             const std::vector<config::GroupKey>* keys = nullptr);
