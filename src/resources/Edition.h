#pragma once

// The two programs built from this code base differ in a handful of stated points. Every one of
// them is captured here; shared code asks the current edition instead of testing program names.

namespace tavin {

enum class EditionKind { Morva7E, Tavin };

// How the program reaches the camera.
enum class LinkKind {
    PortOrLibrary,  // RS-232C port or a Camera Link library chosen in the start dialog
    SingleLibrary,  // always the one Camera Link library named by singleLibraryName
};

// Which developer commands the main frame removes from the Interface menu when the program does
// not run in developer mode.
enum class DeveloperMenuTrim {
    ManualAndPortCommands,  // "Manual Command...", "Serial Port..." and the separator between
    ManualCommandOnly,      // "Manual Command..." alone
};

struct Edition {
    EditionKind kind;
    const char* programName;  // executable name, e.g. "morva-7e"
    LinkKind linkKind;
    const char* singleLibraryName;  // library loaded by Open() when linkKind is SingleLibrary

    // Main window: initial client-independent size in pixels, and whether the window title
    // shows the document's title before the application title.
    int frameWidth;
    int frameHeight;
    bool titleShowsDocument;
    DeveloperMenuTrim menuTrim;
};

extern const Edition kMorva7EEdition;
extern const Edition kTavinEdition;

// The edition of the running program. Each executable's main selects it before anything else
// runs; tests switch it with ScopedEdition. Defaults to the full build.
const Edition& CurrentEdition();
void SetCurrentEdition(const Edition& edition);

class ScopedEdition {
  public:
    explicit ScopedEdition(const Edition& edition) : saved_(CurrentEdition()) {
        SetCurrentEdition(edition);
    }
    ~ScopedEdition() { SetCurrentEdition(saved_); }
    ScopedEdition(const ScopedEdition&) = delete;
    ScopedEdition& operator=(const ScopedEdition&) = delete;

  private:
    const Edition& saved_;
};

}  // namespace tavin
