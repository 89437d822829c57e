#include "download/ToolNotice.h"

#include "core/HostBus.h"
#include "download/FmDownload.h"
#include "download/SequenceDownload.h"
#include "settings/RegistryKey.h"

ToolNotice ToolNotice::Read(const Workspace& workspace, int code) {
    ToolNotice notice;
    notice.code = code;
    if (code == NotifyDownloadFm) {
        if (const auto file = FmDownload::WaveFileNamed(workspace)) {
            notice.sentFiles.push_back(*file);
        }
        return notice;
    }
    if (code == NotifyDownloadSequence) {
        notice.sentFiles = SequenceDownload::FilesNamed(workspace);
        return notice;
    }
    if (code != NotifyCommand && code != NotifyDownloadSegment) {
        return notice;
    }
    const RegistryKey linkKey(RegistryRoot::CurrentUser, workspace.LinkKeyPath());
    notice.command = linkKey.ReadValue("Cmd").value_or("");
    if (code == NotifyDownloadSegment) {
        notice.waveFile = linkKey.ReadValue("wFile").value_or("");
        notice.sentFiles.push_back(notice.waveFile);
        notice.channel = workspace.ActiveChannel();
    }
    return notice;
}
