<?php
// The request router of PHP's built-in server for the test site. Files of
// WordPress itself are served as they are (PHP ones run); everything else
// goes to index.php, so pretty permalinks and /wp-json/ work without
// rewrite rules. /wp-content/uploads/ comes from the state folder, the rest
// of /wp-content/ from Debian's folder, and never runs PHP from there.

// The path is all before the query (parse_url would read "//x/" as a host).
$brevanton_path = rawurldecode(explode('?', $_SERVER['REQUEST_URI'], 2)[0]);

function brevanton_refuse(int $status, string $reason): bool
{
    http_response_code($status);
    header('Content-Type: text/plain; charset=UTF-8');
    echo $reason, "\n";
    return true;
}

function brevanton_send_file(string $file): bool
{
    static $types = [
        'css' => 'text/css', 'js' => 'text/javascript', 'json' => 'application/json',
        'svg' => 'image/svg+xml', 'png' => 'image/png', 'jpg' => 'image/jpeg',
        'jpeg' => 'image/jpeg', 'gif' => 'image/gif', 'webp' => 'image/webp',
        'woff' => 'font/woff', 'woff2' => 'font/woff2', 'ttf' => 'font/ttf',
        'txt' => 'text/plain; charset=UTF-8', 'html' => 'text/html; charset=UTF-8',
        'pdf' => 'application/pdf', 'mp3' => 'audio/mpeg', 'mp4' => 'video/mp4',
    ];
    if (!is_file($file) || !is_readable($file)) {
        return brevanton_refuse(404, 'Not found');
    }
    $extension = strtolower(pathinfo($file, PATHINFO_EXTENSION));
    header('Content-Type: ' . ($types[$extension] ?? 'application/octet-stream'));
    header('Content-Length: ' . filesize($file));
    if ($_SERVER['REQUEST_METHOD'] !== 'HEAD') {
        readfile($file);
    }
    return true;
}

// No "." or ".." segments; repeated slashes count as one, so that no
// spelling of a path under /wp-content/ escapes the rules for it.
if (str_contains($brevanton_path, "\0") || preg_match('#(^|/)\.\.?(/|$)#', $brevanton_path)
    || str_contains($brevanton_path, '\\')) {
    return brevanton_refuse(403, 'Forbidden path');
}
$brevanton_path = preg_replace('#/{2,}#', '/', $brevanton_path);

if (preg_match('#^/wp-content(/.*)?$#', $brevanton_path, $brevanton_match)) {
    $brevanton_rest = $brevanton_match[1] ?? '/';
    if (preg_match('#\.(php\d?|phtml|phar|phps|pht)$#i', $brevanton_rest)) {
        return brevanton_refuse(403, 'No PHP runs from wp-content');
    }
    if (preg_match('#^/uploads(/.*)$#', $brevanton_rest, $brevanton_upload)) {
        return brevanton_send_file(getenv('BREVANTON_WORDPRESS_SITE') . '/uploads' . $brevanton_upload[1]);
    }
    return brevanton_send_file('/var/lib/wordpress/wp-content' . $brevanton_rest);
}

$brevanton_file = $_SERVER['DOCUMENT_ROOT'] . $brevanton_path;
if ($brevanton_path !== '/' && (is_file($brevanton_file)
    || (is_dir($brevanton_file) && is_file(rtrim($brevanton_file, '/') . '/index.php')))) {
    // The server itself sends the file, or runs it when it is PHP.
    return false;
}

// Every other path is WordPress's to route.
$_SERVER['SCRIPT_NAME'] = '/index.php';
$_SERVER['PHP_SELF'] = '/index.php';
$_SERVER['SCRIPT_FILENAME'] = $_SERVER['DOCUMENT_ROOT'] . '/index.php';
unset($brevanton_path, $brevanton_file, $brevanton_match);
chdir($_SERVER['DOCUMENT_ROOT']);
require $_SERVER['DOCUMENT_ROOT'] . '/index.php';
