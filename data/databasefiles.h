#pragma once

#include "data/recordfile.h"
#include "data/stringpoolfile.h"
#include "platform/cfile.h"

#include <string>
#include <vector>

// The five data files, open for the whole run. The viewer's application
// object and the database tool both read the data through one of these.
class CDatabaseFiles {
public:
    static constexpr const char* kStringsName = "Strings.dat";
    static constexpr const char* kTreeName = "Tree.dat";
    static constexpr const char* kAircraftName = "AircraftItems.dat";
    static constexpr const char* kPicturesName = "Pictures.dat";
    static constexpr const char* kStripsName = "FlightStrips.dat";
    static constexpr const char* kCardTemplateName = "Static texts.rtf";
    static constexpr const char* kExtraTemplateName = "Static texts add.rtf";

    CDatabaseFiles();

    // Opens each file from strDir ("" for the current directory) in the fixed
    // order. A file that cannot be opened stays closed; the others open.
    void Open(const std::string& strDir);
    // Closes in the order of opening.
    void Close();

    static std::string PathIn(const std::string& strDir, const char* pszName);

    // The files of the database in strDir that cannot be opened, each with
    // the errno of its opening: the five data files as the last Open left
    // them, then the two templates, which are tried here.
    struct CUnopened {
        std::string strPath;
        int nError;
    };
    std::vector<CUnopened> UnopenedFiles(const std::string& strDir) const;

    CStringPoolFile m_fileStrings;
    CRecordFile m_fileTree;
    CRecordFile m_fileAircraft;
    CRecordFile m_fileStrips;
    CFile m_filePictures;
};
