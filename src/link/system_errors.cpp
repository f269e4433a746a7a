#include "link/system_errors.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "link/va_comm.h"
#include "protocol/translate.h"

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#endif

namespace kalvex {

namespace {

std::string Tr(const char* text) { return TranslateText(text); }

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// The number after "(Error " or "(" in the port layer's messages.
int CodeIn(const std::string& message) {
  size_t at = message.find("(Error ");
  at = at == std::string::npos ? message.find('(') : at + 6;
  if (at == std::string::npos) return 0;
  return std::atoi(message.c_str() + at + 1);
}

// The fixed part of a port layer message up to its first "%".
std::string Lead(const char* pattern) {
  const char* pct = std::strchr(pattern, '%');
  return std::string(pattern, pct ? static_cast<size_t>(pct - pattern) : std::strlen(pattern));
}

// The system's own text for a port layer code.
std::string SystemText(int code) {
#ifdef _WIN32
  return va_comm_messages::PlatformErrorText(code);
#else
  return std::strerror(code);
#endif
}

// The port layer's codes: GetLastError on Windows, errno elsewhere.
std::string PortReason(int code) {
#ifdef _WIN32
  switch (code) {
    case 2:
    case 3:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "нет такого порта"));
    case 5:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "доступ запрещён (порт занят другой программой?)"));
    case 31:
    case 995:
    case 1117:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "устройство не отвечает или отключено"));
  }
  return FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", "%1 (код %2)")),
                    {va_comm_messages::PlatformErrorText(code), std::to_string(code)});
#else
  return SystemReason(code);
#endif
}

}  // namespace

std::string SystemReason(int code) {
  switch (code) {
    case EACCES:
    case EPERM:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "нет прав доступа"));
    case ENOENT:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "нет такого файла или устройства"));
    case ENODEV:
    case ENXIO:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "устройство отсутствует (адаптер отключён?)"));
    case EBUSY:
#if defined(EWOULDBLOCK) && EWOULDBLOCK != EBUSY
    case EWOULDBLOCK:
#endif
      return Tr(QT_TRANSLATE_NOOP("kalvex", "занято другой программой"));
    case EIO:
      return Tr(
          QT_TRANSLATE_NOOP("kalvex", "ошибка ввода-вывода (адаптер отключён или неисправен?)"));
    case ENOTTY:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "это не последовательный порт"));
    case EISDIR:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "это папка, а не файл или порт"));
    case ENOTDIR:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "часть пути не является папкой"));
    case ENOSPC:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "нет места на диске"));
    case EROFS:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "файловая система только для чтения"));
#ifdef EDQUOT
    case EDQUOT:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "превышена дисковая квота"));
#endif
    case ENAMETOOLONG:
      return Tr(QT_TRANSLATE_NOOP("kalvex", "слишком длинное имя"));
  }
  return FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", "%1 (код %2)")),
                    {std::strerror(code), std::to_string(code)});
}

std::string SaveFailureReason(int code) {
  if (code == ENOENT) return Tr(QT_TRANSLATE_NOOP("kalvex", "нет такой папки"));
  return SystemReason(code);
}

std::string PermissionHintFor(const std::string& path, const DeviceOwnership& owner) {
  // A group helps only when it may read and write the device, and a user
  // joins it: not root's group.
  const bool groupOpens = (owner.mode & 060) == 060;
  if (groupOpens && owner.gid != 0 && !owner.group.empty()) {
    return FormatText(Tr(QT_TRANSLATE_NOOP("kalvex",
                                           "Нет прав на порт %1: добавьте пользователя в группу "
                                           "%2 (sudo usermod -aG %2 $USER) и войдите в систему "
                                           "заново.")),
                      {path, owner.group});
  }
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", owner.mode & 07777);
  const std::string group =
      owner.group.empty()
          ? std::string()
          : FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", ", группа %1")), {owner.group});
  return FormatText(
      Tr(QT_TRANSLATE_NOOP("kalvex",
                           "Нет прав на порт %1: устройство доступно только владельцу (права "
                           "%2%3), вступление в группу не поможет. Попросите администратора дать "
                           "доступ правилом udev (GROUP=\"dialout\", MODE=\"0660\") или "
                           "запустите программу от его имени.")),
      {path, mode, group});
}

std::string PermissionHint(const std::string& path) {
#ifdef _WIN32
  return FormatText(
      Tr(QT_TRANSLATE_NOOP("kalvex",
                           "Нет доступа к порту %1: порт занят другой программой или запрещён.")),
      {path});
#else
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return PermissionHintFor(path, {"dialout", 20, 0660});
  DeviceOwnership owner;
  owner.gid = st.st_gid;
  owner.mode = st.st_mode & 07777;
  if (const group* g = ::getgrgid(st.st_gid)) owner.group = g->gr_name;
  return PermissionHintFor(path, owner);
#endif
}

std::string PortErrorText(const std::string& port, const std::string& message) {
  namespace m = va_comm_messages;
  const int code = CodeIn(message);
  std::string text;
  if (StartsWith(message, Lead(m::kNotFound).c_str())) {
    return FormatText(
        Tr(QT_TRANSLATE_NOOP("kalvex",
                             "Порт %1 не найден: нет такого устройства (адаптер отключён?).")),
        {port});
  } else if (StartsWith(message, Lead(m::kCantOpen).c_str())) {
    text = FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", "Не удалось открыть порт %1: %2")),
                      {port, PortReason(code)});
#ifndef _WIN32
    if (code == EACCES || code == EPERM) return text + ".\n" + PermissionHint(port);
#endif
  } else if (StartsWith(message, Lead(m::kWritingDcb).c_str()) ||
             StartsWith(message, Lead(m::kInitBuffers).c_str()) ||
             StartsWith(message, Lead(m::kTimeouts).c_str()) ||
             StartsWith(message, Lead(m::kEventMask).c_str())) {
#ifndef _WIN32
    // Line settings are refused by anything that is not a terminal.
    if (code == ENOTTY || code == EINVAL)
      return FormatText(Tr(QT_TRANSLATE_NOOP("kalvex",
                                             "Устройство %1 не является последовательным портом: "
                                             "выберите порт адаптера (%2).")),
                        {port, message});
#endif
    text = FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", "Не удалось настроить порт %1: %2")),
                      {port, PortReason(code)});
  } else if (StartsWith(message, Lead(m::kReadError).c_str()) ||
             StartsWith(message, Lead(m::kStatistics).c_str())) {
    text = FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", "Ошибка чтения из порта %1: %2")),
                      {port, PortReason(code)});
  } else if (StartsWith(message, Lead(m::kWriteError).c_str())) {
    text = FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", "Ошибка записи в порт %1: %2")),
                      {port, PortReason(code)});
  } else if (StartsWith(message, Lead(m::kOutputFull).c_str())) {
    text = FormatText(
        Tr(QT_TRANSLATE_NOOP("kalvex",
                             "Порт %1: адаптер не принимает данные (очередь записи заполнена)")),
        {port});
  } else {
    // The TCP link's own messages already name the adapter's address.
    if (message.find(port) != std::string::npos) return message;
    return FormatText(Tr(QT_TRANSLATE_NOOP("kalvex", "Порт %1: %2")), {port, message});
  }
  // The port layer's message is kept for whoever reads it to support, unless
  // the reason already is the system's own text with its code: it would only
  // say the same again ("Not ready (код 21) (Write error (21), Not ready)").
  if (code != 0 && text.find(SystemText(code)) != std::string::npos) return text + ".";
  return text + " (" + message + ").";
}

}  // namespace kalvex
