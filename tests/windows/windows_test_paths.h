// Where the Windows tests find the plug-in DLL and leave what they produce.
#pragma once

#include <string>

void SetTestPaths(const std::string& dllPath, const std::string& outputDir);
const std::string& PluginPath();
const std::string& OutputDir();
