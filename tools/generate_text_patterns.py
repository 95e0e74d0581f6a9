#!/usr/bin/env python3
"""Writes the text pattern rules "VornickTextPatterns.json" into resources/.

Each rule names the snippet that embeds a kind of link ("fragmentName"), the
provider's oEmbed endpoint ("oEmbedEndpointURLString") and the URL patterns
that recognise the link ("patterns"), tried in order: the more specific
paths of a site come before the general ones. Every pattern is written for
https and http, and for the bare and "www." host where the site answers both.

A pattern is literal text with placeholders in braces ("{id}"); a
placeholder's value is one or more of "-", "_", "%", ASCII letters and
digits, so it never runs past a "/", "." or "&". Patterns begin with "^" so
that a URL quoted inside another URL is not taken for the site's own.

The providers and endpoints follow the public list of oEmbed providers.
"""

import json
import os
import sys


def variants(hosts, paths):
    return ["^%s://%s%s" % (scheme, host, path) for host in hosts for path in paths for scheme in ("https", "http")]


def www(host):
    return [host, "www." + host]


RULES = [
    ("YouTube Embed", "https://www.youtube.com/oembed",
     variants(www("youtube.com") + ["m.youtube.com"],
              ["/watch?v={id}", "/shorts/{id}", "/embed/{id}", "/live/{id}", "/playlist?list={list}"])
     + variants(["youtu.be"], ["/{id}"])),
    ("Vimeo Embed", "https://vimeo.com/api/oembed.json",
     variants(www("vimeo.com"), ["/channels/{channel}/{id}", "/groups/{group}/videos/{id}", "/album/{album}/video/{id}",
                                 "/showcase/{album}/video/{id}", "/{id}"])
     + variants(["player.vimeo.com"], ["/video/{id}"])),
    ("X Post Embed", "https://publish.twitter.com/oembed",
     variants(www("twitter.com") + ["mobile.twitter.com"] + www("x.com"),
              ["/{user}/status/{id}", "/{user}/statuses/{id}", "/i/status/{id}"])),
    ("SoundCloud Embed", "https://soundcloud.com/oembed",
     variants(www("soundcloud.com") + ["m.soundcloud.com"], ["/{user}/sets/{set}", "/{user}/{track}"])
     + variants(["on.soundcloud.com"], ["/{id}"])),
    ("Spotify Embed", "https://open.spotify.com/oembed",
     variants(["open.spotify.com"], ["/{kind}/{id}", "/user/{user}/playlist/{id}"])
     + variants(["spotify.link"], ["/{id}"])),
    ("Flickr Embed", "https://www.flickr.com/services/oembed/",
     variants(www("flickr.com"), ["/photos/{user}/{id}"]) + variants(www("flic.kr"), ["/p/{id}"])),
    ("TED Talk Embed", "https://www.ted.com/services/v1/oembed.json",
     variants(www("ted.com") + ["embed.ted.com"], ["/talks/{slug}", "/talks/lang/{lang}/{slug}"])),
    ("Dailymotion Embed", "https://www.dailymotion.com/services/oembed",
     variants(www("dailymotion.com"), ["/video/{id}", "/embed/video/{id}"]) + variants(["dai.ly"], ["/{id}"])),
    ("TikTok Embed", "https://www.tiktok.com/oembed",
     variants(www("tiktok.com") + ["m.tiktok.com"], ["/@{user}/video/{id}"])),
    ("Mixcloud Embed", "https://app.mixcloud.com/oembed/",
     variants(www("mixcloud.com"), ["/{user}/{show}"])),
    ("SlideShare Embed", "https://www.slideshare.net/api/oembed/2",
     variants(www("slideshare.net") + ["de.slideshare.net", "es.slideshare.net", "fr.slideshare.net", "pt.slideshare.net"],
              ["/slideshow/{slug}/{id}", "/{user}/{slug}"])),
    ("Speaker Deck Embed", "https://speakerdeck.com/oembed.json",
     variants(www("speakerdeck.com"), ["/{user}/{slug}"])),
    ("Scribd Embed", "https://www.scribd.com/services/oembed",
     variants(www("scribd.com"), ["/doc/{id}", "/document/{id}", "/presentation/{id}"])),
    ("Kickstarter Embed", "https://www.kickstarter.com/services/oembed",
     variants(www("kickstarter.com"), ["/projects/{creator}/{project}"]) + variants(["kck.st"], ["/{id}"])),
    ("Reddit Embed", "https://www.reddit.com/oembed",
     variants(www("reddit.com") + ["old.reddit.com"], ["/r/{subreddit}/comments/{id}"])),
    ("Tumblr Embed", "https://www.tumblr.com/oembed/1.0",
     variants(["{blog}.tumblr.com"], ["/post/{id}"]) + variants(www("tumblr.com"), ["/{blog}/{id}"])),
    ("Imgur Embed", "https://api.imgur.com/oembed",
     variants(www("imgur.com") + ["i.imgur.com", "m.imgur.com"], ["/gallery/{id}", "/a/{id}", "/{id}"])),
    ("CodePen Embed", "https://codepen.io/api/oembed",
     variants(www("codepen.io"), ["/{user}/pen/{id}"])),
    ("Giphy Embed", "https://giphy.com/services/oembed",
     variants(www("giphy.com"), ["/gifs/{id}"]) + variants(["gph.is"], ["/{id}"])),
    ("Issuu Embed", "https://issuu.com/oembed",
     variants(www("issuu.com"), ["/{user}/docs/{document}"])),
    ("Cloudup Embed", "https://cloudup.com/oembed",
     variants(www("cloudup.com"), ["/{id}"])),
    ("WordPress.tv Embed", "https://wordpress.tv/oembed/",
     variants(["wordpress.tv"], ["/{year}/{month}/{day}/{slug}"])),
    ("Animoto Embed", "https://animoto.com/oembeds/create",
     variants(www("animoto.com"), ["/play/{id}"])),
    ("SmugMug Embed", "https://api.smugmug.com/services/oembed/",
     variants(["{user}.smugmug.com"], ["/{path}"])),
    ("Pocket Casts Embed", "https://pca.st/oembed.json",
     variants(["pca.st"], ["/{id}"]) + variants(["pocketcasts.com", "play.pocketcasts.com"], ["/podcasts/{podcast}/{episode}"])),
    ("Amazon Kindle Embed", "https://read.amazon.com/kp/api/oembed",
     variants(["read.amazon.com"], ["/kp/embed?asin={asin}"]) + variants(["a.co"], ["/{id}"])),
]


def main():
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    target = os.path.join(root, "resources", "VornickTextPatterns.json")
    rules = [{"fragmentName": name, "oEmbedEndpointURLString": endpoint, "patterns": patterns}
             for name, endpoint, patterns in RULES]
    with open(target, "w", encoding="utf-8") as output:
        output.write(json.dumps(rules, indent=2, sort_keys=True, ensure_ascii=False) + "\n")
    print("%s: %d rules, %d patterns" % (target, len(rules), sum(len(rule["patterns"]) for rule in rules)), file=sys.stderr)


if __name__ == "__main__":
    main()
