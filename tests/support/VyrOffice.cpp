/* LibreOffice as an independent viewer (see the header). */
#include "VyrOffice.h"

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>

VyrOfficeStatus VyrOfficeConvert(const std::string &dir, const std::string &file, const std::string &format,
                                 int seconds)
{
    if (std::system("command -v soffice >/dev/null 2>&1") != 0) return VyrOfficeStatus::NotInstalled;
    const std::string command = "cd '" + dir + "' && HOME='" + dir + "' timeout -k 10 " +
                                std::to_string(seconds) + " soffice -env:UserInstallation=file://" + dir +
                                "/profile --headless --norestore --convert-to " + format + " --outdir '" +
                                dir + "' '" + file + "' >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    const size_t dot = file.find_last_of('.');
    const std::string output = dir + "/" + file.substr(0, dot) + "." + format;
    struct stat st;
    if (::stat(output.c_str(), &st) == 0 && st.st_size > 0) return VyrOfficeStatus::Converted;
    /* timeout's status when it had to stop the command: 124, or 137 when
     * it had to kill it */
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 124 || WEXITSTATUS(status) == 137))
        return VyrOfficeStatus::TooSlow;
    return VyrOfficeStatus::Failed;
}
