// The two web addresses that the message catalogue quotes, kept in one place.
#pragma once

#define TARNEL_WEB_SITE_HOST "www.tarnel.com"
#define TARNEL_JAVA_DOWNLOAD_URL "http://www.java.com/download"
