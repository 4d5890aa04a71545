#pragma once
// The one document. It holds no data: every scan result lives in the child views, and it
// is never loaded or saved.

#include "app/cmd_target.h"

namespace dovrane::app {

class CDovraneStorageAnalyzerDoc final : public CCmdTarget {
public:
    // The framework's new-document step; nothing of its own to reset.
    bool OnNewDocument() { return true; }
    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }

    bool OnCmdMsg(int /*id*/) override { return false; }

private:
    bool m_bModified = false;
};

}  // namespace dovrane::app
