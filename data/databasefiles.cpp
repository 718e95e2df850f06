#include "data/databasefiles.h"

#include "data/aircraftrecord.h"
#include "data/striprecord.h"
#include "data/treerecord.h"

CDatabaseFiles::CDatabaseFiles()
    : m_fileTree(TreeRecord::kSize), m_fileAircraft(AircraftRecord::kSize),
      m_fileStrips(StripRecord::kSize) {}

std::string CDatabaseFiles::PathIn(const std::string& strDir, const char* pszName) {
    if (strDir.empty())
        return pszName;
    if (strDir.back() == '/')
        return strDir + pszName;
    return strDir + "/" + pszName;
}

void CDatabaseFiles::Open(const std::string& strDir) {
    m_fileStrings.Open(PathIn(strDir, kStringsName));
    m_fileTree.Open(PathIn(strDir, kTreeName));
    m_fileAircraft.Open(PathIn(strDir, kAircraftName));
    m_filePictures.Open(PathIn(strDir, kPicturesName));
    m_fileStrips.Open(PathIn(strDir, kStripsName));
}

std::vector<CDatabaseFiles::CUnopened>
CDatabaseFiles::UnopenedFiles(const std::string& strDir) const {
    std::vector<CUnopened> unopened;
    for (const CFile* pFile :
         {static_cast<const CFile*>(&m_fileStrings), static_cast<const CFile*>(&m_fileTree),
          static_cast<const CFile*>(&m_fileAircraft), &m_filePictures,
          static_cast<const CFile*>(&m_fileStrips)})
        if (!pFile->IsOpen())
            unopened.push_back({pFile->GetFilePath(), pFile->GetOpenError()});
    for (const char* pszName : {kCardTemplateName, kExtraTemplateName}) {
        CFile file;
        if (!file.Open(PathIn(strDir, pszName)))
            unopened.push_back({file.GetFilePath(), file.GetOpenError()});
    }
    return unopened;
}

void CDatabaseFiles::Close() {
    m_fileStrings.Close();
    m_fileTree.Close();
    m_fileAircraft.Close();
    m_filePictures.Close();
    m_fileStrips.Close();
}
