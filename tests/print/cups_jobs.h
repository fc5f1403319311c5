// Jobs on the private print server of with_cupsd.sh.
#pragma once

#include <cups/cups.h>

#include <chrono>
#include <string>
#include <thread>

namespace hoxa::test {

struct FinishedJob {
    int id = 0, state = 0;
    std::string title;
};

// The newest job of `queue`, waited for (up to 30 s) until it is finished.
inline FinishedJob WaitForJob(const std::string& queue)
{
    FinishedJob newest;
    for (int i = 0; i < 300 && (newest.id == 0 || newest.state < IPP_JSTATE_STOPPED); ++i) {
        if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        cups_job_t* jobs = nullptr;
        const int n = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, CUPS_WHICHJOBS_ALL);
        newest = {};
        for (int j = 0; j < n; ++j)
            if (jobs[j].id > newest.id) newest = {jobs[j].id, jobs[j].state, jobs[j].title ? jobs[j].title : ""};
        cupsFreeJobs(n, jobs);
    }
    return newest;
}

// A job attribute as text ("Manual"); empty when the job has none.
inline std::string JobAttribute(int id, const char* name)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr,
                 ("ipp://localhost/jobs/" + std::to_string(id)).c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    ipp_t* response = cupsDoRequest(CUPS_HTTP_DEFAULT, request, "/");
    char value[256] = "";
    if (ipp_attribute_t* a = response ? ippFindAttribute(response, name, IPP_TAG_ZERO) : nullptr)
        ippAttributeString(a, value, sizeof value);
    ippDelete(response);
    return value;
}

}  // namespace hoxa::test
