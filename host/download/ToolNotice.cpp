#include "download/ToolNotice.h"

#include "core/HostBus.h"
#include "settings/RegistryKey.h"

ToolNotice ToolNotice::Read(const Workspace& workspace, int code) {
    ToolNotice notice;
    notice.code = code;
    if (code != NotifyCommand && code != NotifyDownloadSegment) {
        return notice;
    }
    const RegistryKey linkKey(RegistryRoot::CurrentUser, workspace.LinkKeyPath());
    notice.command = linkKey.ReadValue("Cmd").value_or("");
    if (code == NotifyDownloadSegment) {
        notice.waveFile = linkKey.ReadValue("wFile").value_or("");
        notice.channel = workspace.ActiveChannel();
    }
    return notice;
}
