/* libjpeg's `boolean` as the Windows headers declare it (an unsigned char),
   so that the library and its users, which include those headers, agree. */
#pragma once
typedef unsigned char boolean;
