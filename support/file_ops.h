// File operations of the platform on 260-byte paths: removing an install folder, and the system's
// Save As dialog.
#pragma once

// Deletes the files directly in a folder, then the folder; true when the folder is gone. A path that
// does not fit deletes nothing, and an entry whose full path would not fit is left alone.
bool DeleteFolderAndFiles(const char* szFolderPath);

// The system's Save As dialog, opened in the folder of szFilePath when it names one, else in
// szFolder; szDefExt is added to a name typed without an extension. True with the chosen path in
// szFilePath and its folder in szFolder.
bool ChooseSaveFile(char* szFilePath, const char* szTitle, char* szFolder, const char* szDefExt,
                    const char* szFilter);
