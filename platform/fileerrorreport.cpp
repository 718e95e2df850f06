#include "platform/fileerrorreport.h"

#include <new>

bool CFileErrorReport::Report(const CFileException& e) {
    if (!m_reported.insert(e.m_strFileName).second)
        return false;
    if (m_sink)
        m_sink(m_strTitle, Message(e));
    return true;
}

void CFileErrorReport::ReportException(const std::exception& e) {
    if (m_sink)
        m_sink(m_strTitle, Message(e));
}

bool CFileErrorReport::WasReported(const std::string& strFileName) const {
    return m_reported.count(strFileName) != 0;
}

std::string CFileErrorReport::Message(const CFileException& e) {
    const char* pszCause = "неизвестная ошибка";
    switch (e.m_cause) {
    case CFileException::fileNotOpen:
        pszCause = "файл не удалось открыть (его нет или он недоступен)";
        break;
    case CFileException::badSeek:
        pszCause = "попытка перейти к недопустимой позиции в файле";
        break;
    case CFileException::readError:
        pszCause = "ошибка чтения с диска";
        break;
    case CFileException::none:
        break;
    }
    const std::string strName = e.m_strFileName.empty() ? "(без имени)" : e.m_strFileName;
    return "Ошибка при работе с файлом «" + strName + "»: " + pszCause + ".";
}

std::string CFileErrorReport::Message(const std::exception& e) {
    if (dynamic_cast<const std::bad_alloc*>(&e))
        return "Недостаточно памяти: действие прервано.";
    return std::string("Действие прервано из-за ошибки: ") + e.what() + ".";
}
