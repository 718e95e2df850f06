#include "support/templates.h"

#include "platform/cp1251.h"

#include <cstdio>

std::string PlainRtf(const std::string& strText) {
    std::string out = "{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset204 "
                      "Arial;}}{\\colortbl;\\red0\\green0\\blue0;}\\pard\\f0\\fs20 ";
    for (std::size_t i = 0; i < strText.size(); ++i) {
        const auto ch = static_cast<unsigned char>(strText[i]);
        if (ch == '\r' && i + 1 < strText.size() && strText[i + 1] == '\n') {
            out += "\\par\n";
            ++i;
        } else if (ch == '\\' || ch == '{' || ch == '}') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\'%02x", ch);
            out += buf;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\\par\n}";
}

namespace {
std::string Cp(const char* pszUtf8) {
    return *cp1251::FromUtf8(pszUtf8);
}
} // namespace

std::string CardTemplateRtf() {
    return PlainRtf(Cp("Фирма:\r\nСтрана:\r\nМодель:\r\nТип:\r\nНазвание:\r\nГод:\r\n"
                       "ТТХ\r\nРазмах, м:\r\nДлина, м:\r\nВысота, м:\r\nЭкипаж:\r\n"
                       "Пассажиров:\r\nВзлётная масса, кг:\r\nМасса пустого, кг:\r\n"
                       "Нагрузка, кг:\r\nПримечание:\r\n"
                       "Скорости\r\nМаксимальная, км/ч:\r\nКрейсерская, км/ч:\r\n"
                       "Посадочная, км/ч:\r\nПодъём, м/с:\r\nПотолок, м:\r\nДальность, км:\r\n"
                       "Перегоночная, км:"));
}

std::string ExtraTemplateRtf() {
    return PlainRtf(Cp("Лётные данные по высотам\r\nВысота\tСкорость\tДальность\r\n"
                       "Скорости\r\nКрейсерская:\r\nОтрыва:\r\nМинимальная:\r\nПотолок:\r\n"
                       "Разбег:\r\nПробег:\r\n"
                       "ТТХ\r\nПлощадь:\r\nУдлинение:\r\nНагрузка:\r\nДвигателей:\r\n"
                       "Стреловидность:\r\nТяга:\r\nТопливо:\r\nПосадочная масса:\r\n"
                       "Построено:"));
}
