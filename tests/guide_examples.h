// The configuration examples that the user guide shows: INI lines, the files viewed, and the command
// lines the plugin starts for them. The guide's folders C:\Tools\, C:\Docs\, C:\Program Files\ and
// C:\Windows\ stand for folders of the test that checks them.
#pragma once

#include <string>
#include <vector>

namespace guide {

struct GuideExample {
    const char* name;
    std::vector<std::wstring> options;    // lines of [Options]
    std::vector<std::wstring> editor;     // lines of [Editor]
    std::vector<std::wstring> extensions; // lines of the file manager's [Extensions]
    std::vector<std::wstring> files;      // viewed or selected, in selection order
    std::vector<std::wstring> commands;   // as the guide shows them
    bool inSample;                        // the [Editor] lines are commented examples of the sample
    std::vector<std::wstring> types = {}; // lines of [Types], each a commented example of the sample
};

inline const std::wstring kPdf = LR"(pdf=%ProgramFiles%\PDF Viewer\pdfview.exe)";
inline const std::wstring kImages = LR"(jpg,jpeg,png,gif,bmp,webp=C:\Tools\ImageView\imageview.exe)";
inline const std::wstring kText = LR"(txt,log,ini,cfg,md,csv=C:\Tools\Editor\editor.exe)";
inline const std::wstring kTextParams = LR"(txt,log,ini,cfg,md,csv_params=-multi)";
inline const std::vector<std::wstring> kTextSelection = {LR"(C:\Docs\notes.txt)", LR"(C:\Docs\app.log)",
                                                         LR"(C:\Docs\setup.ini)"};

inline const std::vector<GuideExample>& Examples() {
    static const std::vector<GuideExample> examples = {
        {"PdfWithEnvironmentAndNamesInTheMiddle",
         {},
         {kPdf, LR"(pdf_params=/reuse %1 /page 1)"},
         {},
         {LR"(C:\Docs\report.pdf)"},
         {LR"("C:\Program Files\PDF Viewer\pdfview.exe" /reuse "C:\Docs\report.pdf" /page 1)"},
         true},
        {"QuotesAroundThePlaceholderDouble",
         {},
         {kPdf, LR"(pdf_params=/open "%1")"},
         {},
         {LR"(C:\Docs\report.pdf)"},
         {LR"("C:\Program Files\PDF Viewer\pdfview.exe" /open ""C:\Docs\report.pdf"")"},
         false},
        {"ImagesInOneCommand",
         {},
         {kImages},
         {},
         {LR"(C:\Docs\b.png)", LR"(C:\Docs\a.jpg)"},
         {LR"("C:\Tools\ImageView\imageview.exe" "C:\Docs\a.jpg" "C:\Docs\b.png")"},
         true},
        {"ImagesOneCommandPerFile",
         {L"ParamsByExtMode=2"},
         {kImages},
         {},
         {LR"(C:\Docs\b.png)", LR"(C:\Docs\a.jpg)"},
         {LR"("C:\Tools\ImageView\imageview.exe" "C:\Docs\a.jpg")",
          LR"("C:\Tools\ImageView\imageview.exe" "C:\Docs\b.png")"},
         true},
        {"TextExtensionsInOneEditor",
         {},
         {kText, kTextParams},
         {},
         kTextSelection,
         {LR"("C:\Tools\Editor\editor.exe" "C:\Docs\setup.ini" "C:\Docs\app.log" "C:\Docs\notes.txt" -multi)"},
         true},
        {"TextExtensionsOneCommandPerExtension",
         {L"ParamsByExtMode=1"},
         {kText, kTextParams},
         {},
         kTextSelection,
         {LR"("C:\Tools\Editor\editor.exe" "C:\Docs\setup.ini" -multi)",
          LR"("C:\Tools\Editor\editor.exe" "C:\Docs\app.log" -multi)",
          LR"("C:\Tools\Editor\editor.exe" "C:\Docs\notes.txt" -multi)"},
         true},
        {"TemplatePerApplication",
         {L"ParamsMode=0"},
         {kText, LR"(C:\Tools\Editor\editor.exe=-multi %1)"},
         {},
         {LR"(C:\Docs\notes.txt)"},
         {LR"("C:\Tools\Editor\editor.exe" -multi "C:\Docs\notes.txt")"},
         false},
        {"FilesWithoutExtension",
         {},
         {LR"(,conf=C:\Tools\Editor\editor.exe)"},
         {},
         {LR"(C:\Docs\Makefile)"},
         {LR"("C:\Tools\Editor\editor.exe" "C:\Docs\Makefile")"},
         false},
        {"FolderWithTrailingBackslash",
         {},
         {LR"(:dir=C:\Tools\Browser\browse.exe)"},
         {},
         {LR"(C:\Docs\Photos\)"},
         {LR"("C:\Tools\Browser\browse.exe" "C:\Docs\Photos\\")"},
         true},
        {"DefaultEditorFromEnvironment",
         {LR"(DefaultEditor=%WINDIR%\notepad.exe)"},
         {},
         {},
         {LR"(C:\Docs\data.xyz)"},
         {LR"("C:\Windows\notepad.exe" "C:\Docs\data.xyz")"},
         false},
        {"FileManagerExtensionTable",
         {L"UseTCExtensions=1"},
         {},
         {LR"(txt=C:\Tools\Editor\editor.exe ^)"},
         {LR"(C:\Docs\notes.txt)"},
         {LR"("C:\Tools\Editor\editor.exe " "C:\Docs\notes.txt")"},
         false},
        // Without its 60 MB: big.log goes to log all the same, as the guide says.
        {"TypesBeyondTheExtension",
         {},
         {LR"(make,docker,log,plain=C:\Tools\Editor\editor.exe)", LR"(biglog=C:\Tools\BigView\bigview.exe)"},
         {},
         {LR"(C:\Docs\Makefile)", LR"(C:\Docs\server.log.1)", LR"(C:\Docs\big.log)", LR"(C:\Docs\LICENSE)"},
         {LR"("C:\Tools\Editor\editor.exe" "C:\Docs\server.log.1" "C:\Docs\big.log" "C:\Docs\Makefile" "C:\Docs\LICENSE")"},
         false,
         {LR"(Makefile;GNUmakefile;*.mk=make)", LR"(Dockerfile;Dockerfile.*=docker)",
          LR"(*.tar.gz;*.tgz=tgz)", LR"(*.log.?;*.log|debug*=log)", LR"(*.log=biglog size>50M)",
          LR"(*\Projects\*.txt=projtxt)", LR"(*.=plain text)", LR"(*.git\=repo)"}},
    };
    return examples;
}

} // namespace guide
