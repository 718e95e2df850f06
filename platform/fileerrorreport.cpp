#include "platform/fileerrorreport.h"

#include <cerrno>
#include <cstring>
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

void CFileErrorReport::ReportUnopened(const std::vector<std::pair<std::string, int>>& files) {
    if (files.empty())
        return;
    std::string strText = files.size() == 1 ? "Не удалось открыть файл базы данных:"
                                            : "Не удалось открыть файлы базы данных:";
    for (const auto& [strFileName, nError] : files) {
        m_reported.insert(strFileName);
        strText += "\n«" + strFileName + "»: " + OpenErrorText(nError) + ";";
    }
    strText.back() = '.';
    strText += "\nБез них часть данных не будет показана.";
    if (m_sink)
        m_sink(m_strTitle, strText);
}

std::string CFileErrorReport::OpenErrorText(int nError) {
    switch (nError) {
    case ENOENT:
        return "файла нет";
    case EACCES:
    case EPERM:
        return "нет прав на чтение";
    case EISDIR:
        return "это не обычный файл";
    default:
        return std::string("ошибка открытия (") + std::strerror(nError) + ")";
    }
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
