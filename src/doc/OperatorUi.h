#pragma once

// Everything the document and the engine need from a person. The Qt front end shows real windows,
// the terminal front end prints and reads, and the tests script the answers; so every rule of the
// program, its message texts and captions included, can be checked without a display.

#include <array>
#include <optional>
#include <string>

#include "probe/CalibrationSheet.h"
#include "probe/EngineUi.h"

namespace kv {

class CGpibSelectDlg;
struct ScaleSheet;

struct FileDialogRequest {
    std::string caption;
    std::string filter;            // e.g. "kv4731x Files (*.prn)|*.prn|All Files (*.*)|*.*||"
    std::string defaultExtension;  // without the dot
    std::string fileName;          // proposed name
};

class OperatorUi : public EngineUi {
public:
    // The selection dialog "Select GPIB Card / Instrument", run modally on the model; true on OK.
    virtual bool RunGpibSelect(CGpibSelectDlg& dialog) = 0;

    // The trace-choice dialog: caption set by the caller, no button selected at first, buttons
    // of disabled traces greyed. Returns the chosen trace (0 Data, 1 to 3 Memory 1 to 3), or -1
    // for Cancel or OK with nothing chosen.
    virtual int ChooseTrace(const std::string& caption, const std::array<bool, 4>& enabled) = 0;

    // File dialogs; nullopt on Cancel. The save dialog asks before overwriting.
    virtual std::optional<std::string> GetOpenFileName(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> GetSaveFileName(const FileDialogRequest& request) = 0;

    // The "Scale" sheet with its horizontal (page 0) and vertical (page 1) page, on `page`; true on
    // OK with the values and the active page as the operator left them.
    virtual bool EditScaleSheet(ScaleSheet& sheet, int& page) = 0;

    // The sheet "Calibration" with the pages "Calibration type" (page 0) and "User Defined
    // Standards" (page 1), on `page`; true on OK with the values and the active page.
    virtual bool EditCalibrationSheet(CalibrationSheet& sheet, int& page) {
        (void)sheet;
        (void)page;
        return false;
    }

    // The most-recently-used list of the front end (8 entries).
    virtual void AddRecentFile(const std::string& path) = 0;
};

}  // namespace kv
