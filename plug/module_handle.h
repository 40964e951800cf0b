// The plug-in library's own module, for finding its resources and its file.
#pragma once

// Any thread. Windows: the instance handle stored by the library's load notification (null in
// an executable that merely links the plug-in code). Linux: an address inside the loaded object.
void* ModuleHandle() noexcept;
